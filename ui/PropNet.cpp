#include "ui/PropNet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/ORXBootApp.h"
#include "platform/MessageBox.h"
#include "platform/Socket.h"
#include "ui/AddressSearchDialog.h"
#include "ui/ChosenMethods.h"
#include "ui/IpAddressCtrl.h"
#include "ui/ModalSheet.h"
#include "ui/PageIds.h"
#include "ui/Pictures.h"

namespace {
constexpr int kSearchTries = 64;

QString Dotted(uint32_t dwAddrNet) {
    return QString::fromStdString(DottedAddress(dwAddrNet));
}
}  // namespace

CPropNet::CPropNet(const CPageContext& ctx)
    : CPropertyPage(IDD_PROP_ETHERNET, tr("Ethernet")),
      m_ctx(ctx),
      m_strUnitName(QString::fromStdString(ctx.app.Config().m_strNetNode)),
      m_bClearCache(ctx.app.Config().m_bNetCache),
      m_nNodeType(ctx.app.Config().m_nNetType),
      m_bDhcp(ctx.app.Config().m_bNetDhcp.load()) {
    setObjectName("pageEthernet");
    m_pAllUnits = new QRadioButton(tr("&Respond to all ORX equipment boot requests"), this);
    m_pAllUnits->setObjectName("radioAllUnits");
    m_pOneUnit = new QRadioButton(tr("Respond to boot requests only from a si&ngle unit"), this);
    m_pOneUnit->setObjectName("radioOneUnit");
    m_stcUnitLabel = new QLabel(tr("Single &Unit Name:"), this);
    m_cmbUnitName = new QComboBox(this);
    m_cmbUnitName->setObjectName("comboUnitName");
    m_cmbUnitName->setEditable(true);
    m_cmbUnitName->setInsertPolicy(QComboBox::NoInsert);
    // What is typed is the name, never a longer history entry completed into it.
    m_cmbUnitName->setCompleter(nullptr);
    m_stcUnitLabel->setBuddy(m_cmbUnitName);
    m_btnClearCache =
        new QCheckBox(tr("C&lear MAC to IP translation cache after transmit. "), this);
    m_btnClearCache->setObjectName("checkClearCache");
    m_stcCacheNote = new QLabel(tr("(For use in networks that do not have DHCP servers)"), this);
    m_pDhcp = new QRadioButton(tr("Use &DHCP"), this);
    m_pDhcp->setObjectName("radioDhcp");
    m_pFixed = new QRadioButton(tr("Use &fixed IP address"), this);
    m_pFixed->setObjectName("radioFixed");
    m_ipAddress = new CIpAddressCtrl(this);
    m_ipAddress->setObjectName("ipAddress");
    m_ipAddress->SetName(tr("Fixed IP address"));
    m_stcMaskLabel = new QLabel(tr("IP &Mask"), this);
    m_ipMask = new CIpAddressCtrl(this);
    m_ipMask->setObjectName("ipMask");
    m_ipMask->SetName(tr("IP Mask"));
    // A label gives the focus only to a widget that takes it: the first part, not the whole.
    m_stcMaskLabel->setBuddy(m_ipMask->Field(0));
    auto* pPicture = new QLabel(this);
    pPicture->setPixmap(Picture(EPicture::NetPage, 64));
    pPicture->setAccessibleName(tr("A network cable"));
    // Two separate choices, each a pair of radio buttons.
    auto* pUnits = new QButtonGroup(this);
    pUnits->addButton(m_pAllUnits);
    pUnits->addButton(m_pOneUnit);
    auto* pAddress = new QButtonGroup(this);
    pAddress->addButton(m_pDhcp);
    pAddress->addButton(m_pFixed);

    auto* pGrid = new QGridLayout(this);
    pGrid->addWidget(m_pAllUnits, 0, 0, 1, 3);
    pGrid->addWidget(m_pOneUnit, 1, 0, 1, 3);
    pGrid->addWidget(m_stcUnitLabel, 2, 1);
    pGrid->addWidget(m_cmbUnitName, 2, 2);
    pGrid->addWidget(m_btnClearCache, 3, 0, 1, 3);
    pGrid->addWidget(m_stcCacheNote, 4, 1, 1, 2);
    pGrid->addWidget(m_pDhcp, 5, 0, 1, 3);
    pGrid->addWidget(m_pFixed, 6, 0, 1, 2);
    pGrid->addWidget(m_ipAddress, 6, 2);
    pGrid->addWidget(m_stcMaskLabel, 7, 1, Qt::AlignRight);
    pGrid->addWidget(m_ipMask, 7, 2);
    pGrid->setRowStretch(8, 1);
    pGrid->addWidget(pPicture, 9, 0, 1, 3, Qt::AlignLeft | Qt::AlignBottom);
    pGrid->setColumnMinimumWidth(0, 20);
    pGrid->setColumnStretch(2, 1);

    const auto choice = [this](int* pnMember, int nValue) {
        *pnMember = nValue;
        SetModified();
        UpdateControls();
    };
    connect(m_pAllUnits, &QRadioButton::clicked, this, [=, this] { choice(&m_nNodeType, 0); });
    connect(m_pOneUnit, &QRadioButton::clicked, this, [=, this] { choice(&m_nNodeType, 1); });
    connect(m_pDhcp, &QRadioButton::clicked, this, [this] {
        m_bDhcp = true;
        SetModified();
        UpdateControls();
    });
    connect(m_pFixed, &QRadioButton::clicked, this, [this] {
        m_bDhcp = false;
        SetModified();
        UpdateControls();
    });
    connect(m_ipAddress, &CIpAddressCtrl::FieldChanged, this, [this] { SetModified(); });
    connect(m_ipMask, &CIpAddressCtrl::FieldChanged, this, [this] { SetModified(); });
    connect(m_btnClearCache, &QCheckBox::clicked, this, [this] { SetModified(); });
    // A changed name is a change to apply, as on the other pages.
    connect(m_cmbUnitName, &QComboBox::editTextChanged, this, [this] { SetModified(); });
    connect(&ctx.methods, &CChosenMethods::changed, this, [this] { setEnabled(EthernetUsable()); });
}

void CPropNet::OnInitDialog() {
    const CORXBootConfig& config = m_ctx.app.Config();
    m_btnClearCache->setChecked(m_bClearCache);
    m_pAllUnits->setChecked(m_nNodeType == 0);
    m_pOneUnit->setChecked(m_nNodeType == 1);
    m_pDhcp->setChecked(config.m_bNetDhcp);
    m_pFixed->setChecked(!config.m_bNetDhcp);
    m_ipAddress->SetAddress(config.m_dwNetIp);
    m_ipMask->SetAddress(config.m_dwNetIpMask);
    m_cmbUnitName->clear();
    for (const std::string& strName : config.m_arrNetNodes)
        m_cmbUnitName->addItem(QString::fromStdString(strName));
    m_cmbUnitName->setCurrentIndex(-1);
    m_cmbUnitName->setEditText(QString::fromStdString(config.m_strNetNode));
    UpdateControls();
}

bool CPropNet::EthernetUsable() const {
    return m_ctx.app.SocketsAvailable() && m_ctx.methods.Net();
}

// The unit is given its address through the serial menu.
bool CPropNet::UnitIpUsable() const {
    return EthernetUsable() && m_ctx.methods.Serial();
}

void CPropNet::UpdateControls() {
    const bool bNet = EthernetUsable();
    m_pAllUnits->setEnabled(bNet);
    m_pOneUnit->setEnabled(bNet);
    m_btnClearCache->setEnabled(bNet);
    m_stcCacheNote->setEnabled(bNet);
    m_cmbUnitName->setEnabled(bNet && m_nNodeType == 1);
    m_stcUnitLabel->setEnabled(bNet && m_nNodeType == 1);
    const bool bUnitIp = UnitIpUsable();
    m_pDhcp->setEnabled(bUnitIp);
    m_pFixed->setEnabled(bUnitIp);
    m_ipAddress->setEnabled(bUnitIp && !m_bDhcp);
    m_stcMaskLabel->setEnabled(bUnitIp && !m_bDhcp);
    m_ipMask->setEnabled(bUnitIp && !m_bDhcp);
}

bool CPropNet::OnSetActive() {
    UpdateControls();
    return true;
}

void CPropNet::Refuse(const QString& strWhy, QWidget* pField) {
    Sheet()->SetActivePage(this);  // a hidden field cannot take the focus
    const std::string strText = strWhy.toStdString();
    m_ctx.app.LogMessage("%s", strText.c_str());
    m_ctx.boxes.Show(strText, MB_OK | MB_ICONEXCLAMATION);
    pField->setFocus();
}

bool CPropNet::CanApply() {
    if (!EthernetUsable()) return true;
    // An empty name would answer every unit while the page shows a single one.
    if (m_pOneUnit->isChecked() && m_cmbUnitName->currentText().isEmpty()) {
        Refuse(tr("The single unit name is empty: enter the unit's name, or respond to all "
                  "ORX equipment boot requests."),
               m_cmbUnitName);
        return false;
    }
    // An address with a missing or too large number is refused, not applied as another,
    // where the user can mend it.
    if (m_bDhcp || !UnitIpUsable()) return true;
    const std::pair<CIpAddressCtrl*, QString> arrFields[] = {{m_ipAddress, tr("fixed IP address")},
                                                             {m_ipMask, tr("IP mask")}};
    for (const auto& [pCtrl, strName] : arrFields) {
        const int nBad = pCtrl->FirstBadField();
        if (nBad < 0) continue;
        Refuse(tr("The %1 is not complete: enter four numbers from 0 to 255.").arg(strName), pCtrl);
        pCtrl->FocusField(nBad);
        return false;
    }
    return true;
}

bool CPropNet::OnApply() {
    CORXBootConfig& config = m_ctx.app.Config();
    // Only a fixed address for a unit that boots over Ethernet is taken from the fields;
    // fields left incomplete where the user cannot reach them keep the saved address.
    const bool bTestAddress =
        !m_bDhcp && EthernetUsable() && m_ipAddress->Address() && m_ipMask->Address();

    m_nNodeType = m_pOneUnit->isChecked() ? 1 : 0;
    config.m_nNetType = m_nNodeType;
    m_strUnitName = m_cmbUnitName->currentText();
    config.m_strNetNode = m_strUnitName.toStdString();
    if (!m_strUnitName.isEmpty() &&
        m_cmbUnitName->findText(m_strUnitName, Qt::MatchStartsWith) < 0) {
        config.m_arrNetNodes.insert(config.m_arrNetNodes.begin(), config.m_strNetNode);
        m_cmbUnitName->insertItem(0, m_strUnitName);
    }
    m_bClearCache = m_btnClearCache->isChecked();
    config.m_bNetCache = m_bClearCache;
    config.m_bNetDhcp = m_bDhcp;
    if (!bTestAddress) return true;

    config.m_dwNetIpMask = *m_ipMask->Address();
    config.m_dwNetIp = *m_ipAddress->Address();
    const IAddressSearch::CResult result = TestAddress(config.m_dwNetIp);
    config.m_dwNetIp = result.dwAddr;
    QString strText;
    if (result.eOutcome == IAddressSearch::EOutcome::Moved) {
        strText =
            QString("The ip was in use. Using free ip %1 instead.").arg(Dotted(result.dwAddr));
        m_ipAddress->SetAddress(result.dwAddr);
    } else if (result.eOutcome == IAddressSearch::EOutcome::NoneFree) {
        strText = QString("The ip %1 seems to be in use!? Cannot locate free ip!")
                      .arg(Dotted(result.dwAddr));
    }
    if (!strText.isEmpty()) m_ctx.boxes.Show(strText.toStdString(), MB_OK);
    return true;
}

IAddressSearch::CResult CPropNet::TestAddress(uint32_t dwAddrNet) {
    const int nSearch = ++m_nSearch;
    m_searchResult.reset();
    CAddressSearchDialog dialog(tr("Ethernet"), this);
    dialog.ShowTrying(dwAddrNet);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(0);
    m_pSearchDialog = &dialog;
    QEventLoop loop;
    m_pSearchLoop = &loop;
    // The search reports on its own thread; the page takes each report on this one, and
    // drops those of a search it no longer waits for.
    const std::unique_ptr<IAddressSearch> pSearch = m_ctx.app.StartAddressSearch(
        dwAddrNet, kSearchTries,
        [this, nSearch](uint32_t dwTry) {
            QMetaObject::invokeMethod(
                this,
                [this, nSearch, dwTry] {
                    if (nSearch != m_nSearch || !m_pSearchDialog) return;
                    m_pSearchDialog->ShowTrying(dwTry);
                },
                Qt::QueuedConnection);
        },
        [this, nSearch](const IAddressSearch::CResult& result) {
            QMetaObject::invokeMethod(
                this,
                [this, nSearch, result] {
                    if (nSearch != m_nSearch || !m_pSearchDialog) return;
                    m_searchResult = result;
                    if (m_pSearchLoop) m_pSearchLoop->quit();
                },
                Qt::QueuedConnection);
        });
    connect(&dialog, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
    dialog.show();
    if (!m_searchResult) loop.exec();
    m_pSearchDialog = nullptr;
    m_pSearchLoop = nullptr;
    if (m_searchResult) return *m_searchResult;
    // Cancelled: dropping the search ends it in the background; the user's address stays.
    ++m_nSearch;
    return {IAddressSearch::EOutcome::Cancelled, dwAddrNet};
}
