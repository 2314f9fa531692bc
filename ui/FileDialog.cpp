#include "ui/FileDialog.h"

#include <QFile>
#include <QFileDialog>

namespace vantrel {

std::optional<std::string> QtFileDialog::ShowOpen() {
    return Show(false);
}

std::optional<std::string> QtFileDialog::ShowSave() {
    return Show(true);
}

std::optional<std::string> QtFileDialog::Show(bool forSaving) {
    QFileDialog dialog(owner_);
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!chosen_.empty()) dialog.selectFile(QFile::decodeName(chosen_.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    chosen_ = QFile::encodeName(dialog.selectedFiles().front()).toStdString();
    return chosen_;
}

} // namespace vantrel
