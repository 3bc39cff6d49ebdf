#pragma once

#include <QObject>
#include <QPointer>

namespace trovix {

class Form2;

// Keeps the one About window: shown modeless and without an owner, brought to the
// front when shown again, built anew once it was closed.
class AboutWindow : public QObject {
    Q_OBJECT
public:
    explicit AboutWindow(QObject* parent = nullptr);

    void show();
    Form2* window() const;

private:
    QPointer<Form2> window_;
};

} // namespace trovix
