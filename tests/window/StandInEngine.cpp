// An engine module of another build: its browser completes, at once, a document named
// after the address it is sent to.
#include "tracking/Browser.h"
#include "tracking/BrowserEngine.h"

namespace {

class StandInEngineBrowser final : public trovix::Browser {
public:
    void navigate(const QString& address) override
    {
        Q_EMIT documentCompleted(1, QStringLiteral("stand-in engine: ") + address);
    }
    void bindElements(DocumentId, const QList<trovix::ElementBinding>&,
                      std::function<void(const QList<bool>&)>) override
    {
    }
    void setValue(const QString&, const QString&) override {}
    void click(const QString&) override {}
    void readBodyText(std::function<void(const QString&)>) override {}
};

} // namespace

extern "C" Q_DECL_EXPORT trovix::Browser* trovix_create_engine_browser(QWidget*, const QStringList&)
{
    return new StandInEngineBrowser;
}
