#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace trovix {

// One element the caller wants looked up and kept under a reference name.
struct ElementBinding {
    QString reference; // "objUserName", "objpassword", "objloginbutton"
    QString elementId; // "postid", "valicode", "lika", ...
};

// The embedded browser as Trovix uses it. Calls return at once; results that need the
// page come back through callbacks, in the order the calls were made. Every operation
// is safe when no document is loaded: lookups then find nothing and the body text is
// empty.
class Browser : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    using DocumentId = int;

    virtual void navigate(const QString& address) = 0;

    // Looks up each binding's element in the given completed document and keeps it
    // under its reference name, replacing what that reference held (an element that is
    // not there leaves the reference empty). `done` receives, per binding, whether the
    // element was found.
    virtual void bindElements(DocumentId document, const QList<ElementBinding>& bindings,
                              std::function<void(const QList<bool>& found)> done) = 0;

    // Writes a form field's value / clicks an element through a kept reference; an
    // empty reference does nothing.
    virtual void setValue(const QString& reference, const QString& text) = 0;
    virtual void click(const QString& reference) = 0;

    // body.innerText of the current top document, lines separated by CR LF.
    virtual void readBodyText(std::function<void(const QString& text)> done) = 0;

    // Nothing is wanted of the page until the next call: it may be kept from using the
    // machine meanwhile. Every call wakes it.
    virtual void rest() {}

    // Readies a page at rest for what follows: one whose process was ended is loaded again
    // from the address last navigated to, and a frozen one must first be seen answering.
    // Returns whether the caller must wait; pageLoaded then follows.
    virtual bool revive() { return false; }

protected:
    // Answers a call after it has returned, as a page would.
    template <typename Done, typename Value> void answerLater(Done done, Value value)
    {
        QMetaObject::invokeMethod(
            this,
            [done = std::move(done), value = std::move(value)] {
                if (done)
                    done(value);
            },
            Qt::QueuedConnection);
    }

Q_SIGNALS:
    // Once per completed document: the top page and each frame in it.
    void documentCompleted(trovix::Browser::DocumentId document, const QString& address);
    // Right after documentCompleted of the top document that the latest navigate() led to.
    void pageLoaded();
};

} // namespace trovix
