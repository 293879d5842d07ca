#include "ui/FileDialog.h"

#include <QFileDialog>

std::optional<std::string> CQtFileDialog::OpenBootFile(QWidget* pParent,
                                                       const std::string& strInitial) {
    QFileDialog dialog(pParent, QObject::tr("Open"), QString::fromUtf8(strInitial.c_str()),
                       QObject::tr("Bin Image Files (*.bin)"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("bin"));
    if (!strInitial.empty()) dialog.selectFile(QString::fromUtf8(strInitial.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first().toStdString();
}
