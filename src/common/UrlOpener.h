#pragma once

#include <QString>

namespace trovix {

// Opens an address in the user's own web browser, outside Trovix, without waiting.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual void open(const QString& address) = 0;
};

class DesktopUrlOpener final : public UrlOpener {
public:
    void open(const QString& address) override;
};

} // namespace trovix
