#include "common/SaveFileChooser.h"

#include <QFileDialog>

namespace trovix {

DialogSaveFileChooser::DialogSaveFileChooser(QWidget* parent) : parent_(parent) {}

QString DialogSaveFileChooser::chooseSaveFile(const SaveDialogSettings& settings)
{
    QFileDialog dialog(parent_.data(), settings.title, settings.folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // An existing file is replaced without a question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(settings.nameFilters);
    if (settings.selectedFilter >= 0 && settings.selectedFilter < settings.nameFilters.size())
        dialog.selectNameFilter(settings.nameFilters.at(settings.selectedFilter));
    dialog.setDefaultSuffix(settings.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace trovix
