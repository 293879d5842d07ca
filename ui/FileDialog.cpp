#include "ui/FileDialog.h"

#include <QFileDialog>

#include "base/FormatText.h"
#include "platform/FileAccess.h"
#include "platform/LastError.h"
#include "platform/MessageBox.h"

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

std::optional<std::string> CQtFileDialog::SaveFile(QWidget* pParent, const std::string& strTitle,
                                                   const std::string& strInitial,
                                                   const std::string& strFilter) {
    QFileDialog dialog(pParent, QString::fromStdString(strTitle),
                       QString::fromStdString(strInitial), QString::fromStdString(strFilter));
    dialog.setObjectName("saveDialog");
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString strSuffix = QString::fromStdString(strFilter).section("*.", 1).section(')', 0, 0);
    if (!strSuffix.isEmpty()) dialog.setDefaultSuffix(strSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first().toStdString();
}

void SaveTextAs(IFileDialog& files, IMessageBox& boxes, QWidget* pParent,
                const std::string& strTitle, const std::string& strInitial,
                const std::string& strFilter, const std::string& strFailed,
                const std::function<std::string()>& fnText) {
    const std::optional<std::string> strPath =
        files.SaveFile(pParent, strTitle, strInitial, strFilter);
    if (!strPath || ReplaceFile(*strPath, fnText())) return;
    boxes.Show(strFailed + " '" + *strPath + "': " + FormatErrorText(GetLastError()),
               MB_OK | MB_ICONSTOP);
}
