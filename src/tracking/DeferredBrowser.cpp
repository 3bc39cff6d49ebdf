#include "tracking/DeferredBrowser.h"

#include <utility>

namespace trovix {

DeferredBrowser::~DeferredBrowser() = default;

void DeferredBrowser::attach(std::unique_ptr<Browser> engine)
{
    engine_ = std::move(engine);
    connect(engine_.get(), &Browser::documentCompleted, this, &Browser::documentCompleted);
    connect(engine_.get(), &Browser::pageLoaded, this, &Browser::pageLoaded);
    for (const QString& address : std::exchange(waitingNavigations_, {}))
        engine_->navigate(address);
}

void DeferredBrowser::navigate(const QString& address)
{
    if (engine_)
        engine_->navigate(address);
    else
        waitingNavigations_.append(address);
}

void DeferredBrowser::bindElements(DocumentId document, const QList<ElementBinding>& bindings,
                                   std::function<void(const QList<bool>& found)> done)
{
    if (engine_) {
        engine_->bindElements(document, bindings, std::move(done));
        return;
    }
    // No document has completed yet, so the caller holds none of ours; still, answers come later.
    answerLater(std::move(done), QList<bool>(bindings.size(), false));
}

void DeferredBrowser::setValue(const QString& reference, const QString& text)
{
    if (engine_)
        engine_->setValue(reference, text);
}

void DeferredBrowser::click(const QString& reference)
{
    if (engine_)
        engine_->click(reference);
}

void DeferredBrowser::readBodyText(std::function<void(const QString& text)> done)
{
    if (engine_) {
        engine_->readBodyText(std::move(done));
        return;
    }
    answerLater(std::move(done), QString());
}

void DeferredBrowser::rest()
{
    if (engine_)
        engine_->rest();
}

bool DeferredBrowser::revive()
{
    return engine_ && engine_->revive();
}

} // namespace trovix
