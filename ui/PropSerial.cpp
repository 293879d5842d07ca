#include "ui/PropSerial.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ORXBootApp.h"
#include "ui/ChosenMethods.h"
#include "ui/PageIds.h"
#include "ui/Pictures.h"

CPropSerial::CPropSerial(const CPageContext& ctx)
    : CPropertyPage(IDD_PROP_SERIAL, tr("Serial")),
      m_ctx(ctx),
      m_strBaud(QString::number(ctx.app.Config().m_nComBaud)),
      m_nProtocol(ctx.app.Config().m_nComProtocol.load()),
      m_strPort(QString::fromStdString(ctx.app.Config().m_strComPort)),
      m_bAllPorts(ctx.app.Config().m_nComOpenAllPorts != 0),
      m_bAutoMenu(ctx.app.Config().m_nComAutoMenu.load() != 0) {
    setObjectName("pageSerial");
    m_pAllPorts = new QCheckBox(tr("Open and monitor A&LL serial ports."), this);
    m_pAllPorts->setObjectName("checkAllPorts");
    m_pPort = new QComboBox(this);
    m_pPort->setObjectName("comboPort");
    m_pPort->setEditable(true);
    m_pPort->setInsertPolicy(QComboBox::NoInsert);
    // What is typed is the port, never a longer name completed into it (COM1, COM12).
    m_pPort->setCompleter(nullptr);
    m_pBaud = new QComboBox(this);
    m_pBaud->setObjectName("comboBaud");
    m_pBaud->addItems({"9600", "14400", "19200", "28800", "38400", "57600", "115200"});
    m_pProtocol = new QComboBox(this);
    m_pProtocol->setObjectName("comboProtocol");
    m_pProtocol->addItems({"ORX HV7 (256 blocks)", "ORX HV6 (32K blocks)"});
    m_pAutoMenu = new QCheckBox(tr("Automatically &drive the config menus"), this);
    m_pAutoMenu->setObjectName("checkAutoMenu");
    auto* pTerminal = new QPushButton(tr("T&erminal ..."), this);
    pTerminal->setObjectName("buttonTerminal");
    auto* pPicture = new QLabel(this);
    pPicture->setPixmap(Picture(EPicture::SerialPage, 64));
    pPicture->setAccessibleName(tr("A serial cable"));

    auto* pForm = new QFormLayout;
    pForm->addRow(tr("Communications &Port:"), m_pPort);
    pForm->addRow(tr("Ba&ud Rate:"), m_pBaud);
    pForm->addRow(tr("P&rotocol Type:"), m_pProtocol);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pAllPorts);
    pLayout->addLayout(pForm);
    pLayout->addWidget(m_pAutoMenu);
    pLayout->addWidget(pTerminal, 0, Qt::AlignLeft);
    pLayout->addStretch(1);
    pLayout->addWidget(pPicture, 0, Qt::AlignLeft | Qt::AlignBottom);

    const auto modified = [this] { SetModified(); };
    connect(m_pAllPorts, &QCheckBox::clicked, this, modified);
    connect(m_pAutoMenu, &QCheckBox::clicked, this, modified);
    connect(m_pPort, &QComboBox::currentIndexChanged, this, modified);
    connect(m_pPort, &QComboBox::editTextChanged, this, modified);
    connect(m_pBaud, &QComboBox::currentIndexChanged, this, modified);
    connect(m_pProtocol, &QComboBox::currentIndexChanged, this, modified);
    connect(pTerminal, &QPushButton::clicked, this, &CPropSerial::OpenTerminal);
}

void CPropSerial::OnInitDialog() {
    m_pAllPorts->setChecked(m_bAllPorts);
    m_pAutoMenu->setChecked(m_bAutoMenu);
    // A rate that no entry begins with (4800, say) leaves the list without a choice.
    m_pBaud->setCurrentIndex(m_pBaud->findText(m_strBaud, Qt::MatchStartsWith));
    m_pProtocol->setCurrentIndex(
        m_nProtocol >= 0 && m_nProtocol < m_pProtocol->count() ? m_nProtocol : -1);
    m_pPort->clear();
    for (const std::string& strName : m_ctx.app.EnumerateSerialPorts())
        m_pPort->addItem(QString::fromStdString(strName));
    // The saved port shows even when it is not there now.
    m_pPort->setCurrentIndex(m_pPort->findText(m_strPort, Qt::MatchStartsWith));
    m_pPort->setEditText(m_strPort);
}

bool CPropSerial::OnSetActive() {
    const bool bSerial = m_ctx.methods.Serial();
    m_pAllPorts->setEnabled(bSerial);
    m_pProtocol->setEnabled(bSerial);
    return true;
}

bool CPropSerial::OnApply() {
    CORXBootConfig& config = m_ctx.app.Config();
    config.m_nComOpenAllPorts = m_pAllPorts->isChecked() ? 1 : 0;
    config.m_strComPort = m_pPort->currentText().toStdString();
    // The entries are plain numbers; no rate chosen is 0.
    config.m_nComBaud = m_pBaud->currentText().toInt();
    config.m_nComProtocol = m_pProtocol->currentIndex();
    config.m_nComAutoMenu = m_pAutoMenu->isChecked() ? 1 : 0;
    return true;
}

// The terminal opens on the settings shown here, saved at once whatever the sheet does.
void CPropSerial::OpenTerminal() {
    OnApply();
    m_ctx.app.OpenTerminal();
}
