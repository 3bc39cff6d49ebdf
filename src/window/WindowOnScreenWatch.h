#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>

namespace trovix {

// Calls back once, right after a shown window is first on screen and has drawn. A window
// shown but not on screen within unexposedMs (shown minimised, or on another workspace)
// calls back then, as long as it is still visible.
class WindowOnScreenWatch final : public QObject {
public:
    static constexpr int unexposedMs = 1000;

    WindowOnScreenWatch(QWindow* window, std::function<void()> onScreen, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void callBack();

    QPointer<QWindow> window_;
    std::function<void()> onScreen_;
};

} // namespace trovix
