#pragma once

#include "tracking/Browser.h"

#include <QStringList>

#include <memory>

namespace trovix {

// The browser before its engine is there: navigations wait, in order, and every other
// call answers as on an empty page. Once the engine is attached, every call goes to it
// and its documents are passed on.
class DeferredBrowser final : public Browser {
    Q_OBJECT
public:
    using Browser::Browser;
    ~DeferredBrowser() override;

    void attach(std::unique_ptr<Browser> engine);

    void navigate(const QString& address) override;
    void bindElements(DocumentId document, const QList<ElementBinding>& bindings,
                      std::function<void(const QList<bool>& found)> done) override;
    void setValue(const QString& reference, const QString& text) override;
    void click(const QString& reference) override;
    void readBodyText(std::function<void(const QString& text)> done) override;
    void rest() override;
    bool revive() override;

private:
    std::unique_ptr<Browser> engine_;
    QStringList waitingNavigations_;
};

} // namespace trovix
