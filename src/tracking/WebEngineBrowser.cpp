#include "tracking/WebEngineBrowser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

namespace trovix {

namespace {

constexpr quint32 scriptWorld = QWebEngineScript::ApplicationWorld;

// Runs at the creation of every document. The registry on the top window maps tokens
// to documents and holds the kept element references; a cross-origin frame cannot
// reach the top window, so it is reported but never found.
const char* const documentScript = R"JS(
(function () {
    window.addEventListener('load', function () {
        var words = new Uint32Array(4);
        crypto.getRandomValues(words);
        var token = Array.prototype.join.call(words, '-');
        try {
            var top = window.top;
            var registry = top.__trovix
                || (top.__trovix = {documents: Object.create(null), references: Object.create(null)});
            // A frame that reloads again and again must not pile up dead documents.
            for (var old in registry.documents) {
                if (!registry.documents[old].defaultView)
                    delete registry.documents[old];
            }
            registry.documents[token] = document;
        } catch (e) {
        }
        console.log(%1 + JSON.stringify([token, String(location.href)]));
    });
})();
)JS";

// A document still counts only while it is shown in a window.
const char* const bindScript = R"JS(
(function (token, bindings) {
    var registry = window.__trovix
        || (window.__trovix = {documents: Object.create(null), references: Object.create(null)});
    var document = registry.documents[token];
    var live = !!(document && document.defaultView);
    return bindings.map(function (binding) {
        var element = null;
        try {
            element = live ? document.getElementById(binding[1]) : null;
        } catch (e) {
        }
        registry.references[binding[0]] = element;
        return !!element;
    });
})(%1, %2)
)JS";

const char* const setValueScript = R"JS(
(function (reference, text) {
    var element = window.__trovix && window.__trovix.references[reference];
    if (element)
        element.value = text;
})(%1, %2)
)JS";

const char* const clickScript = R"JS(
(function (reference) {
    var element = window.__trovix && window.__trovix.references[reference];
    if (element && typeof element.click === 'function')
        element.click();
})(%1)
)JS";

const char* const bodyTextScript = R"JS(
(function () {
    var body = document.body;
    return body ? String(body.innerText) : '';
})()
)JS";

// A JavaScript literal for any text: quotes, angle brackets and line breaks included.
QString literal(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString bindingsLiteral(const QList<ElementBinding>& bindings)
{
    QJsonArray array;
    for (const ElementBinding& binding : bindings)
        array.append(QJsonArray{binding.reference, binding.elementId});
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

class ReportingPage final : public QWebEnginePage {
public:
    ReportingPage(std::function<void(const QString&)> onMessage, QObject* parent)
        : QWebEnginePage(parent), onMessage_(std::move(onMessage))
    {
    }

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                  const QString&) override
    {
        onMessage_(message);
    }

private:
    std::function<void(const QString&)> onMessage_;
};

} // namespace

WebEngineBrowser::WebEngineBrowser(QWidget* viewParent)
    : reportTag_(
          QStringLiteral("trovix-%1:").arg(QRandomGenerator::system()->generate64(), 16, 16, QChar('0')))
{
    auto* view = new QWebEngineView(viewParent);
    view->setObjectName(QStringLiteral("WebBrowser1"));
    QPointer<WebEngineBrowser> self(this);
    auto* page = new ReportingPage(
        [self](const QString& message) {
            if (self && !self->closing_)
                self->onConsoleMessage(message);
        },
        view);
    QWebEngineScript script;
    script.setName(QStringLiteral("trovix-documents"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(scriptWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(QString::fromUtf8(documentScript).arg(literal(reportTag_)));
    page->scripts().insert(script);
    // Calls the dead process had not answered never will be; the next navigation starts
    // a new process.
    connect(page, &QWebEnginePage::renderProcessTerminated, this, [self] {
        if (self && !self->closing_)
            self->giveUpPendingCalls();
    });
    view->setPage(page);
    view_ = view;
}

WebEngineBrowser::~WebEngineBrowser()
{
    // The page answers pending scripts while it is torn down; nobody is listening by then.
    closing_ = true;
    delete view_.data();
}

QWebEngineView* WebEngineBrowser::view() const
{
    return view_.data();
}

void WebEngineBrowser::navigate(const QString& address)
{
    if (view_)
        view_->setUrl(QUrl(address));
}

void WebEngineBrowser::bindElements(DocumentId document, const QList<ElementBinding>& bindings,
                                    std::function<void(const QList<bool>& found)> done)
{
    const QString script = QString::fromUtf8(bindScript)
                               .arg(literal(documentTokens_.value(document)), bindingsLiteral(bindings));
    const int count = int(bindings.size());
    run(script, [done, count](const QVariant& result) {
        const QVariantList answers = result.toList();
        QList<bool> found;
        for (int i = 0; i < count; ++i)
            found.append(answers.value(i).toBool());
        if (done)
            done(found);
    });
}

void WebEngineBrowser::setValue(const QString& reference, const QString& text)
{
    run(QString::fromUtf8(setValueScript).arg(literal(reference), literal(text)), {});
}

void WebEngineBrowser::click(const QString& reference)
{
    run(QString::fromUtf8(clickScript).arg(literal(reference)), {});
}

void WebEngineBrowser::readBodyText(std::function<void(const QString& text)> done)
{
    run(QString::fromUtf8(bodyTextScript), [done](const QVariant& result) {
        QString text = result.toString();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        if (done)
            done(text);
    });
}

void WebEngineBrowser::onConsoleMessage(const QString& message)
{
    if (!message.startsWith(reportTag_))
        return;
    const QJsonArray report = QJsonDocument::fromJson(message.mid(reportTag_.size()).toUtf8()).array();
    if (report.size() != 2)
        return;
    const DocumentId document = ++lastDocument_;
    documentTokens_.insert(document, report.at(0).toString());
    Q_EMIT documentCompleted(document, report.at(1).toString());
}

// Without a view, or without a page process (none started yet, or it died: the engine
// then answers nothing), every call still answers, later and with what an empty page gives.
void WebEngineBrowser::run(const QString& script, Answer done)
{
    if (!view_ || view_->page()->renderProcessPid() == 0) {
        if (done)
            QMetaObject::invokeMethod(
                this, [done] { done(QVariant()); }, Qt::QueuedConnection);
        return;
    }
    const quint64 call = ++lastCall_;
    pendingCalls_.insert(call, std::move(done));
    QPointer<WebEngineBrowser> self(this);
    view_->page()->runJavaScript(script, scriptWorld, [self, call](const QVariant& result) {
        if (self && !self->closing_)
            self->answer(call, result);
    });
    QTimer::singleShot(answerDeadlineMs_, this, [this, call] { answer(call, QVariant()); });
}

void WebEngineBrowser::answer(quint64 call, const QVariant& result)
{
    if (!pendingCalls_.contains(call))
        return;
    // The page runs calls in the order they were sent.
    while (!pendingCalls_.isEmpty() && pendingCalls_.firstKey() < call) {
        const Answer earlier = pendingCalls_.take(pendingCalls_.firstKey());
        if (earlier)
            earlier(QVariant());
    }
    const Answer own = pendingCalls_.take(call);
    if (own)
        own(result);
}

void WebEngineBrowser::giveUpPendingCalls()
{
    if (!pendingCalls_.isEmpty())
        answer(pendingCalls_.lastKey(), QVariant());
}

} // namespace trovix
