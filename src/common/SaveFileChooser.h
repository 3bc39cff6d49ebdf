#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

class QWidget;

namespace trovix {

struct SaveDialogSettings {
    QString title;
    QString folder;
    QStringList nameFilters; // Qt filter syntax: "文本文件(*.txt)"
    int selectedFilter = 0;  // index into nameFilters
    QString defaultSuffix;   // without the dot
};

// The Save As dialog behind a seam, so tests can see its settings and answer it.
class SaveFileChooser {
public:
    virtual ~SaveFileChooser() = default;
    // The chosen path, or an empty text when the user cancelled.
    virtual QString chooseSaveFile(const SaveDialogSettings& settings) = 0;
};

class DialogSaveFileChooser final : public SaveFileChooser {
public:
    explicit DialogSaveFileChooser(QWidget* parent = nullptr);
    QString chooseSaveFile(const SaveDialogSettings& settings) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace trovix
