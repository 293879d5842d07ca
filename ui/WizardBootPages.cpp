// The pages while the servers run: cold boot, waiting, downloading and success.
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "app/ORXBootApp.h"
#include "ui/ModalSheet.h"
#include "ui/Pictures.h"
#include "ui/Wizard.h"
#include "ui/WizardPages.h"

namespace {
// Bytes a unit takes in a second, whatever the baud rate: the estimate's fixed pace.
constexpr uint32_t kEstimateBytesPerSecond = 9900;
const char kFirstEstimate[] = "This process should take about 30 seconds.";
constexpr int kPictureHeight = 150;
}  // namespace

// --- Cold Boot ---

CWizBoot::CWizBoot(CWizard& wizard)
    : CWizPage(wizard, IDD_WIZ_BOOT, tr("ORX Boot Server - Cold Boot")) {
    setObjectName("pageWizBoot");
    auto* pLayout = new QVBoxLayout(this);
    AddText(pLayout, tr("You now need to \"cold boot\" the HV7."));
    AddNote(pLayout, tr("NOTE: All data in the HV7 (but not in the compact flash) will be lost "
                        "when you cold boot. Any important data should be transfered to another "
                        "unit."));
    AddText(pLayout, tr("1. Remove the batteries"));
    AddText(pLayout, tr("2. Press the yellow reset button in the battery case for 5 seconds. You "
                        "may hear the speaker emit a click noise."));
    AddText(pLayout, tr("3. Replace the batteries."));
    AddNote(pLayout, tr("Do NOT turn the unit on."));
    pLayout->addStretch(1);
    AddText(pLayout, tr("Press 'Next >' when ready."));
}

bool CWizBoot::OnSetActive() {
    m_wizard.SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return true;
}

int CWizBoot::OnWizardBack() {
    m_wizard.StopServers();
    return IDD_WIZ_SELECT;
}

// --- Waiting For Connection ---

CWizWait::CWizWait(CWizard& wizard)
    : CWizPage(wizard, IDD_WIZ_WAIT, tr("ORX Boot Server - Waiting For Connection")) {
    setObjectName("pageWizWait");
    auto* pLayout = new QVBoxLayout(this);
    AddText(pLayout, tr("The HV7 should NOT turn ON."));
    AddText(pLayout, tr("Press the '2' key on the HV7 keyboard and hold it down. While holding "
                        "the '2' key down press the blue 'ON' key. You should use a pen or pencil "
                        "to avoid pressing the other keys around it ( 'ALT' and 'ESC' )."));
    AddText(pLayout, tr("Let the 'ON' key up, but continue holding the '2' key for 2 seconds."));
    AddText(pLayout, tr("The Lights in the upper left corner of the HV7 should flash and 'Serial "
                        "Boot Detected' should appear at the bottom of this screen."));
    AddText(pLayout, tr("If this does not happen, press the '< Back' button and repeat the cold "
                        "boot. (Remove the battery, press yellow reset button for 5 seconds, "
                        "replace the batteries). Repeat pressing the '2' key as described "
                        "above."));
    AddText(pLayout, tr("Transfer should start automatically within 10 seconds after you press "
                        "the '2' key. If it does not start, check to make sure your cables are "
                        "connected properly.  Also you may try changing to another serial port."));
    pLayout->addStretch(1);
    m_pStatus = AddStatusLine(pLayout);
}

bool CWizWait::OnSetActive() {
    // Declined when the servers cannot start: the wizard stays on the cold boot page.
    if (!m_wizard.App().ServersRunning() && !m_wizard.StartServers()) return false;
    m_pStatus->clear();
    m_wizard.SetWizardButtons(PSWIZB_BACK);
    return true;
}

int CWizWait::OnWizardBack() {
    m_wizard.StopServers();
    return IDD_WIZ_BOOT;
}

// --- Downloading ---

CWizDownload::CWizDownload(CWizard& wizard)
    : CWizPage(wizard, IDD_WIZ_DOWNLOAD, tr("ORX Boot Server - Downloading")) {
    setObjectName("pageWizDownload");
    m_pPicture = new QLabel(this);
    m_pPicture->setObjectName("pictureTransfer");
    m_pPicture->setAlignment(Qt::AlignTop);
    m_pPicture->setPixmap(Picture(EPicture::SerialTransfer, kPictureHeight));
    m_pPicture->setAccessibleName(tr("Serial transfer"));
    auto* pText = new QVBoxLayout;
    m_pText =
        AddText(pText, tr("Your computer is downloading the '.BIN' file contents to the HV7 "));
    m_pText->setObjectName("labelDownloading");
    // A long path must not widen the wizard.
    m_pText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_pEstimate = AddText(pText, tr(kFirstEstimate));
    m_pEstimate->setObjectName("labelEstimate");
    pText->addSpacing(16);
    auto* pBarRow = new QHBoxLayout;
    m_pPort = new QLabel(QStringLiteral("COMx"), this);
    m_pPort->setObjectName("labelPort");
    m_pPort->setTextFormat(Qt::PlainText);
    m_pProgress = new QProgressBar(this);
    m_pProgress->setObjectName("progressDownload");
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    pBarRow->addWidget(m_pPort);
    pBarRow->addWidget(m_pProgress, 1);
    pText->addLayout(pBarRow);
    pText->addSpacing(8);
    AddText(pText, tr("Please Wait..."));
    pText->addStretch(1);
    m_pStatus = AddStatusLine(pText);
    AddText(pText, tr("Do not remove power to the unit while downloading."));
    auto* pLayout = new QHBoxLayout(this);
    pLayout->addWidget(m_pPicture);
    pLayout->addLayout(pText, 1);
    NameProgress();
}

bool CWizDownload::OnSetActive() {
    m_pStatus->clear();
    m_wizard.SetWizardButtons(PSWIZB_BACK);
    ShowTransfer();
    m_pText->setText(tr("Your computer is downloading the file '%1' to the HV7")
                         .arg(QString::fromStdString(Config().m_strBootFile)));
    // What an earlier unit left is no estimate or progress for this one.
    m_pEstimate->setText(tr(kFirstEstimate));
    m_pProgress->setValue(0);
    NameProgress();
    UpdateEstimate();
    return true;
}

void CWizDownload::ShowTransfer() {
    const std::optional<CTransferView> first = m_wizard.App().FirstTransfer();
    const bool bNetwork = first && first->bNetwork;
    m_pPicture->setPixmap(
        Picture(bNetwork ? EPicture::NetTransfer : EPicture::SerialTransfer, kPictureHeight));
    m_pPicture->setAccessibleName(bNetwork ? tr("Network transfer") : tr("Serial transfer"));
    // The port the download runs on: with any port in use that need not be COMPORT.
    QString strPort = QString::fromStdString(Config().m_strComPort);
    if (bNetwork) {
        strPort = QStringLiteral("NET");
    } else if (first) {
        strPort = QString::fromStdString(first->strName);
    }
    m_pPort->setText(strPort);
    NameProgress();
}

// Named by the port beside it, as the unit's bar on the Transfer page is.
void CWizDownload::NameProgress() {
    m_pProgress->setAccessibleName(tr("%1: %2 %").arg(m_pPort->text()).arg(m_pProgress->value()));
}

void CWizDownload::UpdateEstimate() {
    CORXBootApp& app = m_wizard.App();
    const uint32_t nSize = app.ImageSize();
    if (app.TransferCount() == 0 || nSize == 0) return;
    const std::optional<uint32_t> nSent = app.FirstSerialBytesSent();
    if (!nSent) return;
    const uint32_t nRemaining = (nSize - *nSent) / kEstimateBytesPerSecond;
    m_pEstimate->setText(tr("This process should complete in about %1 minutes %2 seconds.")
                             .arg(nRemaining / 60)
                             .arg(nRemaining % 60));
}

void CWizDownload::ShowProgress(int nPercent) {
    UpdateEstimate();
    m_pProgress->setValue(nPercent < 0 ? 0 : nPercent);
    NameProgress();
}

int CWizDownload::OnWizardBack() {
    m_wizard.StopServers();
    return IDD_WIZ_BOOT;
}

// --- Download Success ---

CWizSuccess::CWizSuccess(CWizard& wizard)
    : CWizPage(wizard, IDD_WIZ_SUCCESS, tr("ORX Boot Server - Download Success")) {
    setObjectName("pageWizSuccess");
    auto* pLayout = new QVBoxLayout(this);
    AddText(pLayout, tr("The download is complete."));
    AddText(pLayout, tr("The HV7 should now take 45 seconds to finish, then start up normally. The "
                        "first thing the unit will do is display it's version then ask for the "
                        "date and time. "));
    AddText(pLayout, tr("If the unit does not turn on, it is most likely because:"));
    AddText(pLayout, tr("1. Ver 1.5 was loaded on a unit that does not support it. Go back to the "
                        "start and load another version."));
    AddText(pLayout, tr("2. The batteries are weak. Replace the batteries and start again."));
    pLayout->addStretch(1);
    AddText(pLayout, tr("Press '< Back' to load another unit or 'Cancel' to close."));
}

bool CWizSuccess::OnSetActive() {
    m_wizard.SetWizardButtons(PSWIZB_BACK);
    return true;
}

// The servers keep running, so the next unit can be cold-booted and started at once.
int CWizSuccess::OnWizardBack() {
    return IDD_WIZ_BOOT;
}
