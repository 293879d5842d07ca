// The pages before the servers start: introduction, boot file and serial port.
#include "ui/WizardPages.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/ORXBootApp.h"
#include "platform/MessageBox.h"
#include "ui/FileDialog.h"
#include "ui/ModalSheet.h"
#include "ui/Pictures.h"
#include "ui/Wizard.h"

namespace {
const char kPressNext[] = "Press 'Next >\" when ready.";

// The first entry that begins with the text, in any case, or -1 (a list box's own search).
int FindPrefix(const QListWidget* pList, const QString& strStart) {
    for (int i = 0; i < pList->count(); ++i) {
        if (pList->item(i)->text().startsWith(strStart, Qt::CaseInsensitive)) return i;
    }
    return -1;
}
}  // namespace

CWizPage::CWizPage(CWizard& wizard, int nDialogId, const QString& strCaption)
    : CPropertyPage(nDialogId, strCaption), m_wizard(wizard) {}

CORXBootConfig& CWizPage::Config() const {
    return m_wizard.App().Config();
}

QLabel* CWizPage::AddText(QBoxLayout* pLayout, const QString& strText) {
    auto* pLabel = new QLabel(strText, this);
    pLabel->setTextFormat(Qt::PlainText);
    pLabel->setWordWrap(true);
    pLayout->addWidget(pLabel);
    return pLabel;
}

void CWizPage::AddNote(QBoxLayout* pLayout, const QString& strText) {
    auto* pRow = new QHBoxLayout;
    auto* pIcon = new QLabel(this);
    pIcon->setPixmap(Picture(EPicture::Note, 32));
    pIcon->setAlignment(Qt::AlignTop);
    pIcon->setAccessibleName(tr("Note"));
    pRow->addWidget(pIcon);
    AddText(pRow, strText);
    pRow->setStretch(1, 1);
    pLayout->addLayout(pRow);
}

QLabel* CWizPage::AddStatusLine(QBoxLayout* pLayout) {
    auto* pFrame = new QFrame(this);
    pFrame->setFrameShape(QFrame::StyledPanel);
    auto* pRow = new QHBoxLayout(pFrame);
    auto* pCaption = new QLabel(tr("STATUS:"), pFrame);
    pRow->addWidget(pCaption);
    auto* pStatus = new QLabel(QStringLiteral("."), pFrame);
    pStatus->setObjectName("statusLine");
    pStatus->setTextFormat(Qt::PlainText);
    // Read by what it shows, the unit's last line: a name of its own would hide that.
    pCaption->setBuddy(pStatus);
    // A long line from a unit must not widen the wizard.
    pStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    pRow->addWidget(pStatus, 1);
    pLayout->addWidget(pFrame);
    return pStatus;
}

// --- Introduction ---

CWizIntro::CWizIntro(CWizard& wizard)
    : CWizPage(wizard, IDD_WIZ_INTRO, tr("ORX Boot Server - Introduction")) {
    setObjectName("pageWizIntro");
    auto* pPicture = new QLabel(this);
    pPicture->setPixmap(Picture(EPicture::About, 300));
    pPicture->setAlignment(Qt::AlignTop);
    pPicture->setAccessibleName(tr("A handheld unit receiving its firmware"));
    auto* pText = new QVBoxLayout;
    AddText(pText, tr("Welcome to the Merovan Boot Server."));
    AddText(pText, tr("This product is used to upgrade the operating system firmware on a HV7 with "
                      "the contents of a '.BIN' file provided."));
    AddText(pText, tr("You may want to record the current firmware version installed on your HV7 "
                      "before beginning. You may want to restore the HV7 to it's original "
                      "version. "));
    AddText(pText, tr("To find the current HV7 firware version, turn on or reboot the HV7 to the "
                      "main menu and select the '8. About' option. The version will be in the "
                      "form of \"HV7 Ver X.YZ\""));
    AddText(pText, tr(kPressNext));
    pText->addStretch(1);
    m_pAdvanced = new QPushButton(tr("&Advanced Mode"), this);
    m_pAdvanced->setObjectName("buttonAdvanced");
    connect(m_pAdvanced, &QPushButton::clicked, this, &CWizIntro::OnAdvancedMode);
    pText->addWidget(m_pAdvanced, 0, Qt::AlignLeft);
    auto* pLayout = new QHBoxLayout(this);
    pLayout->addWidget(pPicture);
    pLayout->addLayout(pText, 1);
}

bool CWizIntro::OnSetActive() {
    m_pAdvanced->setEnabled(!m_wizard.App().SettingsReadOnly());
    m_wizard.SetWizardButtons(PSWIZB_NEXT);
    return true;
}

void CWizIntro::OnAdvancedMode() {
    if (m_wizard.Boxes().Show("Are you sure you want to leave the Wizard Mode?",
                              MB_YESNO | MB_ICONQUESTION) == IDYES)
        m_wizard.AdvancedMode();
}

// --- Select File ---

CWizFile::CWizFile(CWizard& wizard)
    : CWizPage(wizard, IDD_WIZ_FILE, tr("ORX Boot Server - Select File")) {
    setObjectName("pageWizFile");
    auto* pLayout = new QVBoxLayout(this);
    QLabel* pLabel =
        AddText(pLayout, tr("&Select the boot file image (.bin file) you would like to load:"));
    pLabel->setTextFormat(Qt::AutoText);  // plain text would show the mnemonic's "&"
    m_pList = new QListWidget(this);
    m_pList->setObjectName("listBootFiles");
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->setAccessibleName(tr("Boot image files"));
    pLabel->setBuddy(m_pList);
    pLayout->addWidget(m_pList, 1);
    m_pProblem = AddText(pLayout, {});
    m_pProblem->setObjectName("labelFileProblem");
    m_pProblem->hide();
    auto* pBrowse = new QPushButton(tr("B&rowse..."), this);
    pBrowse->setObjectName("buttonBrowse");
    pLayout->addWidget(pBrowse, 0, Qt::AlignRight);
    AddNote(pLayout, tr("WARNING: Do not load hv7min_1_5.bin on units that did not originally "
                        "have ver 1.5."));
    AddText(pLayout, tr(kPressNext));
    connect(m_pList, &QListWidget::itemSelectionChanged, this, &CWizFile::OnSelectionChanged);
    connect(pBrowse, &QPushButton::clicked, this, &CWizFile::OnBrowse);
}

void CWizFile::OnInitDialog() {
    CORXBootConfig& config = Config();
    m_pList->clear();
    for (const std::string& strFile : config.m_arrBootFiles)
        m_pList->addItem(QString::fromStdString(strFile));
    const QDir folder = QDir::current();
    const QStringList arrFound =
        folder.entryList({QStringLiteral("*.bin")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& strName : arrFound) {
        const QString strPath = folder.absoluteFilePath(strName);
        if (FindPrefix(m_pList, strPath) >= 0) continue;
        m_pList->addItem(strPath);
        if (config.m_strBootFile.empty()) config.m_strBootFile = strPath.toStdString();
    }
    m_strFile = QString::fromStdString(config.m_strBootFile);
    AddBootFile();
}

void CWizFile::AddBootFile() {
    if (!m_strFile.isEmpty()) {
        int nEntry = FindPrefix(m_pList, m_strFile);
        if (nEntry < 0) {
            m_pList->addItem(m_strFile);
            nEntry = m_pList->count() - 1;
            auto& arrHistory = Config().m_arrBootFiles;
            arrHistory.insert(arrHistory.begin(), m_strFile.toStdString());
        }
        m_pList->setCurrentRow(nEntry);
    }
    UpdateWizardButtons();
}

void CWizFile::UpdateWizardButtons() {
    m_wizard.SetWizardButtons(m_strFile.isEmpty() ? PSWIZB_BACK : PSWIZB_BACK | PSWIZB_NEXT);
}

// A file that went away since it was listed cannot be loaded: it leaves the list, so the
// user picks another instead of meeting the same failure again.
void CWizFile::DropVanishedFiles() {
    for (int i = m_pList->count() - 1; i >= 0; --i) {
        if (!QFileInfo(m_pList->item(i)->text()).isFile()) delete m_pList->takeItem(i);
    }
}

bool CWizFile::OnSetActive() {
    DropVanishedFiles();
    OnSelectionChanged();
    return true;
}

// The file is read as it is chosen, so the user learns here, not two pages on, that it
// cannot be sent; a serial download refuses what its reader or record index refuses.
void CWizFile::OnSelectionChanged() {
    const QList<QListWidgetItem*> arrSelected = m_pList->selectedItems();
    m_strFile = arrSelected.isEmpty() ? QString() : arrSelected.first()->text();
    const std::string strProblem = m_strFile.isEmpty()
                                       ? std::string()
                                       : m_wizard.App().BootFileProblem(m_strFile.toStdString());
    m_pProblem->setText(
        tr("This file cannot be loaded: %1").arg(QString::fromStdString(strProblem)));
    m_pProblem->setVisible(!strProblem.empty());
    UpdateWizardButtons();
}

void CWizFile::OnBrowse() {
    const auto strChosen = m_wizard.Files().OpenBootFile(this, m_strFile.toStdString());
    if (!strChosen) return;
    m_strFile = QString::fromStdString(*strChosen);
    AddBootFile();
}

int CWizFile::OnWizardNext() {
    OnSelectionChanged();
    if (m_strFile.isEmpty()) return WIZ_STAY;
    if (m_pProblem->isVisibleTo(this)) {
        m_wizard.Boxes().Show(m_pProblem->text().toStdString(), MB_OK | MB_ICONEXCLAMATION);
        return WIZ_STAY;
    }
    Config().m_strBootFile = m_strFile.toStdString();
    return WIZ_MOVE;
}

// --- Select Serial Port ---

CWizSelect::CWizSelect(CWizard& wizard)
    : CWizPage(wizard, IDD_WIZ_SELECT, tr("ORX Boot Server - Select Serial Port")) {
    setObjectName("pageWizSelect");
    auto* pLayout = new QVBoxLayout(this);
    AddText(pLayout, tr("To proceed, make sure to connect the HV7 download cable to this "
                        "computers serial port."));
    m_pAllPorts = new QRadioButton(tr("&Use any available serial ports."), this);
    m_pAllPorts->setObjectName("radioAllPorts");
    m_pOnePort = new QRadioButton(
        tr("&Select the serial port you are connected to from the list below."), this);
    m_pOnePort->setObjectName("radioOnePort");
    m_pPorts = new QListWidget(this);
    m_pPorts->setObjectName("listPorts");
    m_pPorts->setAccessibleName(tr("Serial ports"));
    m_pPorts->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pPorts->setSortingEnabled(true);
    m_pMonitorNet = new QCheckBox(tr("&Monitor for ethernet boot requests (if available)"), this);
    m_pMonitorNet->setObjectName("checkMonitorNet");
    pLayout->addWidget(m_pAllPorts);
    pLayout->addWidget(m_pOnePort);
    pLayout->addWidget(m_pPorts, 1);
    pLayout->addWidget(m_pMonitorNet);
    AddNote(pLayout, tr("NOTE: Close other programs before proceeding. Running other programs "
                        "while downloading can cause downloads to fail on slower machines or "
                        "machines running Windows 95 or 98."));
    AddText(pLayout, tr(kPressNext));
    // The choice between all ports and one takes effect at once, as the user clicks.
    connect(m_pAllPorts, &QRadioButton::clicked, this, [this] { OnAllPorts(true); });
    connect(m_pOnePort, &QRadioButton::clicked, this, [this] { OnAllPorts(false); });
}

void CWizSelect::OnInitDialog() {
    const CORXBootConfig& config = Config();
    m_pPorts->clear();
    for (const std::string& strPort : m_wizard.App().EnumerateSerialPorts())
        m_pPorts->addItem(QString::fromStdString(strPort));
    const int nPort = FindPrefix(m_pPorts, QString::fromStdString(config.m_strComPort));
    m_pPorts->setCurrentRow(nPort >= 0 ? nPort : 0);
    m_pMonitorNet->setEnabled(m_wizard.App().SocketsAvailable());
    m_pMonitorNet->setChecked(config.m_nBootNet.load() != 0);
}

bool CWizSelect::OnSetActive() {
    m_wizard.SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    const bool bAll = Config().m_nComOpenAllPorts > 0;
    (bAll ? m_pAllPorts : m_pOnePort)->setChecked(true);
    m_pPorts->setEnabled(Config().m_nComOpenAllPorts == 0);
    return true;
}

void CWizSelect::OnAllPorts(bool bAll) {
    Config().m_nComOpenAllPorts = bAll ? 1 : 0;
    m_pPorts->setEnabled(!bAll);
}

int CWizSelect::OnWizardNext() {
    CORXBootConfig& config = Config();
    const QList<QListWidgetItem*> arrSelected = m_pPorts->selectedItems();
    config.m_nBootSerial = 1;
    config.m_nBootNet = m_pMonitorNet->isChecked() ? 1 : 0;
    config.m_strComPort =
        arrSelected.isEmpty() ? std::string() : arrSelected.first()->text().toStdString();
    return m_wizard.StartServers() ? IDD_WIZ_BOOT : WIZ_STAY;
}
