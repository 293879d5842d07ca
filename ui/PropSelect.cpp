#include "ui/PropSelect.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ORXBootApp.h"
#include "base/TerminalText.h"
#include "ui/ChosenMethods.h"
#include "ui/FileDialog.h"
#include "ui/ModalSheet.h"
#include "ui/PageIds.h"
#include "ui/Pictures.h"

CPropSelect::CPropSelect(const CPageContext& ctx)
    : CPropertyPage(IDD_PROP_SELECT, tr("Select")), m_ctx(ctx) {
    setObjectName("pageSelect");
    auto* pHeading = new QLabel(tr("Merovan Boot Server"), this);
    QFont font = pHeading->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    pHeading->setFont(font);
    auto* pMethod = new QLabel(
        tr("What method would you like to use to transfer the binary boot image ?"), this);
    pMethod->setWordWrap(true);
    m_pNet = new QCheckBox(tr("&Ethernet Transfer - Requires hub and ethernet cables."), this);
    m_pNet->setObjectName("checkEthernet");
    m_pSerial = new QCheckBox(
        tr("Se&rial Transfer - Requires a download (null modem) serial cable."), this);
    m_pSerial->setObjectName("checkSerial");
    auto* pFileLabel = new QLabel(tr("What binary boot image &file to use ?"), this);
    m_pBootFile = new QComboBox(this);
    m_pBootFile->setObjectName("comboBootFile");
    m_pBootFile->setEditable(true);
    m_pBootFile->setInsertPolicy(QComboBox::NoInsert);
    // What is typed is the file, never a longer history entry completed into it.
    m_pBootFile->setCompleter(nullptr);
    m_pBootFile->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_pBootFile->setMinimumContentsLength(30);
    pFileLabel->setBuddy(m_pBootFile);
    m_pBootFile->setAccessibleName(tr("Boot image file"));
    auto* pBrowse = new QPushButton(tr("&Browse..."), this);
    pBrowse->setObjectName("buttonBrowse");
    auto* pAbout = new QPushButton(tr("Ab&out..."), this);
    pAbout->setObjectName("buttonAbout");
    auto* pWizard = new QPushButton(tr("&Wizard Mode"), this);
    pWizard->setObjectName("buttonWizard");
    pWizard->setEnabled(!m_ctx.app.SettingsReadOnly());
    auto* pBootloader = new QCheckBox(tr("Updating bootloader"), this);
    pBootloader->setEnabled(false);
    auto* pPicture = new QLabel(this);
    pPicture->setPixmap(Picture(EPicture::Select, 64));
    pPicture->setAccessibleName(tr("A computer and a unit"));

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pHeading);
    pLayout->addWidget(pMethod);
    pLayout->addWidget(m_pNet);
    pLayout->addWidget(m_pSerial);
    pLayout->addSpacing(8);
    pLayout->addWidget(pFileLabel);
    auto* pFileRow = new QHBoxLayout;
    pFileRow->addWidget(m_pBootFile, 1);
    pFileRow->addWidget(pBrowse);
    pLayout->addLayout(pFileRow);
    pLayout->addWidget(pBootloader);
    pLayout->addStretch(1);
    auto* pBottom = new QHBoxLayout;
    pBottom->addWidget(pPicture);
    pBottom->addStretch(1);
    pBottom->addWidget(pAbout);
    pBottom->addWidget(pWizard);
    pLayout->addLayout(pBottom);

    CChosenMethods& methods = m_ctx.methods;
    connect(m_pNet, &QCheckBox::clicked, this, [this, &methods] {
        methods.Set(!methods.Net(), methods.Serial());
        SetModified();
    });
    connect(m_pSerial, &QCheckBox::clicked, this, [this, &methods] {
        methods.Set(methods.Net(), !methods.Serial());
        SetModified();
    });
    // Leaving the field matches its text to an entry and reports a choice: only another
    // file is a change.
    const auto changed = [this] {
        if (m_pBootFile->currentText() != m_strShown) SetModified();
    };
    connect(m_pBootFile, &QComboBox::editTextChanged, this, changed);
    connect(m_pBootFile, &QComboBox::activated, this, changed);
    connect(pBrowse, &QPushButton::clicked, this, &CPropSelect::Browse);
    connect(pAbout, &QPushButton::clicked, this, &CPropSelect::aboutRequested);
    connect(pWizard, &QPushButton::clicked, this, &CPropSelect::wizardModeRequested);
}

void CPropSelect::OnInitDialog() {
    m_pNet->setChecked(m_ctx.methods.Net());
    m_pSerial->setChecked(m_ctx.methods.Serial());
    m_ctx.methods.Set(m_ctx.methods.Net(), m_ctx.methods.Serial());
    m_pNet->setEnabled(m_ctx.app.SocketsAvailable());
    m_pBootFile->clear();
    QStringList arrFiles;
    for (const std::string& str : m_ctx.app.Config().m_arrBootFiles)
        arrFiles << QString::fromStdString(str);
    arrFiles.sort(Qt::CaseInsensitive);  // the list shows the history sorted
    m_pBootFile->addItems(arrFiles);
    m_strShown = QString::fromStdString(m_ctx.app.Config().m_strBootFile);
    m_pBootFile->setEditText(m_strShown);
}

void CPropSelect::Browse() {
    const std::optional<std::string> strPath =
        m_ctx.files.OpenBootFile(this, m_pBootFile->currentText().toStdString());
    if (!strPath) return;
    m_pBootFile->setEditText(QString::fromStdString(*strPath));
    SetModified();
}

bool CPropSelect::CanApply() {
    const std::string strFile = m_pBootFile->currentText().toStdString();
    if (!HasControlBytes(strFile)) return true;
    Sheet()->SetActivePage(this);
    const std::string strMessage =
        "The boot file name holds a line break or a control character: " + PrintableText(strFile);
    m_ctx.app.LogMessage("%s", strMessage.c_str());
    m_ctx.boxes.Show(strMessage, MB_OK | MB_ICONSTOP);
    m_pBootFile->setFocus();
    return false;
}

bool CPropSelect::OnApply() {
    const QString strText = m_pBootFile->currentText();
    const std::string strFile = strText.toStdString();
    m_strShown = strText;
    CORXBootConfig& config = m_ctx.app.Config();
    config.m_strBootFile = strFile;
    config.m_nBootNet = m_ctx.methods.Net() ? 1 : 0;
    config.m_nBootSerial = m_ctx.methods.Serial() ? 1 : 0;
    // An empty name is no file: the history never holds one.
    if (!strText.isEmpty() && m_pBootFile->findText(strText, Qt::MatchStartsWith) < 0) {
        config.m_arrBootFiles.insert(config.m_arrBootFiles.begin(), strFile);
        const QSignalBlocker block(m_pBootFile);
        m_pBootFile->insertItem(0, strText);
        m_pBootFile->setEditText(strText);
    }
    return true;
}
