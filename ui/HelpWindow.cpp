#include "ui/HelpWindow.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <map>

#include "ui/AboutDialog.h"
#include "ui/PageIds.h"
#include "ui/Pictures.h"
#include "ui/WindowPlaces.h"

namespace {
// Each page's text in res/help/, by the page's dialog id.
QString HelpFile(int nDialogId) {
    static const std::map<int, QString> s_mapFiles = {
        {IDD_PROP_SELECT, "select"},      {IDD_PROP_ETHERNET, "ethernet"},
        {IDD_PROP_SERIAL, "serial"},      {IDD_PROP_TRANSFER, "transfer"},
        {IDD_WIZ_INTRO, "wiz_intro"},     {IDD_WIZ_FILE, "wiz_file"},
        {IDD_WIZ_BOOT, "wiz_boot"},       {IDD_WIZ_SELECT, "wiz_select"},
        {IDD_WIZ_WAIT, "wiz_wait"},       {IDD_WIZ_DOWNLOAD, "wiz_download"},
        {IDD_WIZ_SUCCESS, "wiz_success"},
    };
    const auto it = s_mapFiles.find(nDialogId);
    return it == s_mapFiles.end() ? QString() : it->second;
}

QString KeptText(const QString& strSettings, const QString& strPlaces) {
    QString strKept = CHelpWindow::tr(
                          "<p>The settings are kept in <code>%1</code>, read at the start and "
                          "written when the program ends (never while that file is read-only).")
                          .arg(strSettings.toHtmlEscaped());
    if (!strPlaces.isEmpty())
        strKept += CHelpWindow::tr(" Where the windows were is kept in <code>%1</code>.")
                       .arg(strPlaces.toHtmlEscaped());
    return strKept + "</p>";
}

// Beside the sheet, where the screen has room, so that the help does not hide the page it
// tells about; where neither side has room, as near as the screen allows.
void PlaceBeside(QWidget* pHelp, const QWidget* pSheet) {
    const QMargins border = FrameBorder(pSheet);  // the help's own is not known before it shows
    const QRect rectSheet = pSheet->frameGeometry();
    const QScreen* pScreen = QGuiApplication::screenAt(rectSheet.center());
    if (!pScreen) pScreen = QGuiApplication::primaryScreen();
    const int nWide = pHelp->width() + border.left() + border.right();
    const QRect rectScreen = pScreen ? pScreen->availableGeometry() : rectSheet;
    const int nRight = rectScreen.right() - rectSheet.right();
    const int nLeft = rectSheet.left() - rectScreen.left();
    const int nX =
        nRight >= nWide || nRight >= nLeft ? rectSheet.right() + 1 : rectSheet.left() - nWide;
    pHelp->move(nX + border.left(), rectSheet.top() + border.top());
    KeepOnScreen(pHelp, border);
}
}  // namespace

CHelpWindow::CHelpWindow(QWidget* pSheet, const QString& strSettings, const QString& strPlaces)
    : QDialog(pSheet), m_strKept(KeptText(strSettings, strPlaces)) {
    setObjectName("helpWindow");
    setWindowTitle(tr("ORXBoot Help"));
    setWindowIcon(AppIcon());
    m_pText = new QTextBrowser(this);
    m_pText->setObjectName("helpText");
    m_pText->setAccessibleName(tr("Help"));
    m_pText->setOpenLinks(false);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* pAbout =
        pButtons->addButton(tr("&About ORXBoot..."), QDialogButtonBox::ActionRole);
    pAbout->setObjectName("buttonAbout");
    connect(pAbout, &QPushButton::clicked, this, [this] { ShowAboutBox(this); });
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pText, 1);
    pLayout->addWidget(pButtons);
    resize(480, 460);
    PlaceBeside(this, pSheet);
}

void CHelpWindow::ShowPage(int nDialogId) {
    QFile file(QStringLiteral(":/orx/help/%1.html").arg(HelpFile(nDialogId)));
    const QString strPage =
        file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    // The title is the page's heading, so that the window list tells which help is open.
    const QRegularExpressionMatch heading = QRegularExpression("<h3>(.*)</h3>").match(strPage);
    setWindowTitle(heading.hasMatch() ? tr("ORXBoot Help - %1").arg(heading.captured(1))
                                      : tr("ORXBoot Help"));
    m_pText->setHtml(strPage + m_strKept);
}
