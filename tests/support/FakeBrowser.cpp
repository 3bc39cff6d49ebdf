#include "FakeBrowser.h"

#include <utility>

void FakeBrowser::navigate(const QString& address)
{
    navigations.append(address);
    pageDue_ = true;
}

void FakeBrowser::bindElements(DocumentId document, const QList<trovix::ElementBinding>& bindings,
                               std::function<void(const QList<bool>& found)> done)
{
    bindCalls.append(BindCall{document, bindings});
    QList<bool> found;
    const QStringList present = elements_.value(document);
    for (const trovix::ElementBinding& binding : bindings) {
        const bool there = present.contains(binding.elementId);
        references_.insert(binding.reference, there ? binding.elementId : QString());
        found.append(there);
    }
    if (done)
        deliver([done, found] { done(found); });
}

void FakeBrowser::setValue(const QString& reference, const QString& text)
{
    valueCalls.append(ValueCall{reference, text});
}

void FakeBrowser::click(const QString& reference)
{
    clickCalls.append(reference);
}

void FakeBrowser::readBodyText(std::function<void(const QString& text)> done)
{
    ++bodyTextReads;
    if (done)
        deliver([done, text = bodyText] { done(text); });
}

void FakeBrowser::setElements(DocumentId document, const QStringList& elementIds)
{
    elements_.insert(document, elementIds);
    nextDocument_ = qMax(nextDocument_, document + 1);
}

void FakeBrowser::complete(DocumentId document, const QString& address)
{
    Q_EMIT documentCompleted(document, address);
    if (std::exchange(pageDue_, false))
        Q_EMIT pageLoaded();
}

trovix::Browser::DocumentId FakeBrowser::load(const QString& address, const QStringList& elementIds)
{
    const DocumentId document = nextDocument_++;
    elements_.insert(document, elementIds);
    complete(document, address);
    return document;
}

void FakeBrowser::deliverHeld()
{
    for (const std::function<void()>& callback : std::exchange(held_, {}))
        callback();
}

void FakeBrowser::deliver(std::function<void()> callback)
{
    if (delivery == Delivery::Synchronous)
        callback();
    else
        held_.append(std::move(callback));
}
