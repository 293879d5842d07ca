#include "ui/PropTransfer.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "app/ORXBootApp.h"
#include "base/FormatText.h"
#include "platform/MessageBox.h"
#include "ui/ChosenMethods.h"
#include "ui/FileDialog.h"
#include "ui/FrameGate.h"
#include "ui/LogView.h"
#include "ui/PageIds.h"
#include "ui/Pictures.h"

namespace {
// Engine texts end in CR LF; the log breaks lines at "\n".
QString LogText(const std::string& strText) {
    QString str = QString::fromUtf8(strText.c_str(), static_cast<qsizetype>(strText.size()));
    str.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    str.replace(QChar('\r'), QChar('\n'));
    return str;
}

void KeepPlaceWhenHidden(QWidget* pWidget) {
    QSizePolicy policy = pWidget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    pWidget->setSizePolicy(policy);
    pWidget->hide();
}
}  // namespace

CPropTransfer::CPropTransfer(const CPageContext& ctx)
    : CPropertyPage(IDD_PROP_TRANSFER, tr("Transfer")), m_ctx(ctx) {
    setObjectName("pageTransfer");
    m_pPicture = new QLabel(this);
    m_pPicture->setObjectName("methodPicture");
    m_pPicture->setAccessibleName(tr("Transfer method"));
    m_pPicture->setAlignment(Qt::AlignTop);

    auto* pRowsArea = new QWidget(this);
    auto* pRows = new QGridLayout(pRowsArea);
    pRows->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kSlots; ++i) {
        const size_t n = static_cast<size_t>(i);
        m_arrNames[n] = new QLabel(QStringLiteral("?"), pRowsArea);
        m_arrNames[n]->setObjectName(QString("slotName%1").arg(i));
        m_arrNames[n]->setTextFormat(Qt::PlainText);  // names come from the network
        m_arrNames[n]->setMinimumWidth(120);
        m_arrBars[n] = new QProgressBar(pRowsArea);
        m_arrBars[n]->setObjectName(QString("slotProgress%1").arg(i));
        m_arrBars[n]->setRange(0, 100);
        m_arrCancel[n] = new QPushButton(tr("X"), pRowsArea);
        m_arrCancel[n]->setObjectName(QString("slotCancel%1").arg(i));
        m_arrCancel[n]->setAutoDefault(false);
        m_arrCancel[n]->setFixedWidth(m_arrCancel[n]->sizeHint().height() + 8);
        for (QWidget* p :
             {static_cast<QWidget*>(m_arrNames[n]), static_cast<QWidget*>(m_arrBars[n]),
              static_cast<QWidget*>(m_arrCancel[n])})
            KeepPlaceWhenHidden(p);
        pRows->addWidget(m_arrNames[n], i, 0);
        pRows->addWidget(m_arrBars[n], i, 1);
        pRows->addWidget(m_arrCancel[n], i, 2);
        connect(m_arrCancel[n], &QPushButton::clicked, this,
                [this] { m_ctx.boxes.Show("Sorry this feature is not available.", MB_OK); });
    }
    for (int i = 0; i < kSlots; ++i) NameSlot(i);
    pRows->setColumnStretch(1, 1);
    // The hint lies where the rows are, shown only while no transfer runs.
    m_pHint = new QLabel(tr("Press '2' (On the HV7) while powering up to get the serial menu, "
                            "or press '+' to use the last download configuration."),
                         this);
    m_pHint->setObjectName("serialHint");
    m_pHint->setWordWrap(true);
    m_pHint->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_pHint->hide();
    auto* pRowsStack = new QStackedLayout;
    pRowsStack->setStackingMode(QStackedLayout::StackAll);
    pRowsStack->addWidget(pRowsArea);
    pRowsStack->addWidget(m_pHint);

    m_pLog = new CLogView(this, CLogView::kMaxLines, CLogView::kSlack);
    m_pLog->setMinimumHeight(m_pLog->fontMetrics().lineSpacing() * 6);
    m_pLog->m_fnSaveAs = [this] { SaveLog(); };
    m_pCloseDone = new QCheckBox(tr("Close application &when done transferring."), this);
    m_pCloseDone->setObjectName("checkCloseDone");
    m_pAutoStart = new QCheckBox(tr("Auto start &monitoring next time application starts"), this);
    m_pAutoStart->setObjectName("checkAutoStart");
    auto* pHistory = new QPushButton(tr("&History..."), this);
    pHistory->setObjectName("historyButton");
    pHistory->setAutoDefault(false);
    connect(pHistory, &QPushButton::clicked, this, [this] { m_ctx.app.OpenHistory(); });
    connect(m_pCloseDone, &QCheckBox::toggled, this, [this] { SetModified(); });
    connect(m_pAutoStart, &QCheckBox::toggled, this, [this] { SetModified(); });
    m_pGate = new CFrameGate({pRowsArea, m_pLog}, this);

    auto* pTop = new QHBoxLayout;
    pTop->addWidget(m_pPicture);
    pTop->addLayout(pRowsStack, 1);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pTop);
    pLayout->addWidget(m_pLog, 1);
    auto* pChecks = new QGridLayout;
    pChecks->addWidget(m_pCloseDone, 0, 0);
    pChecks->addWidget(m_pAutoStart, 1, 0);
    pChecks->addWidget(pHistory, 0, 1, 2, 1, Qt::AlignRight | Qt::AlignVCenter);
    pChecks->setColumnStretch(0, 1);
    pLayout->addLayout(pChecks);
}

void CPropTransfer::OnInitDialog() {
    m_pCloseDone->setChecked(m_ctx.app.Config().m_bTranCloseDone);
    m_pAutoStart->setChecked(m_ctx.app.Config().m_bTranAutoStart);
    m_pLog->AddText(QStringLiteral("Press Start..."));
}

bool CPropTransfer::OnSetActive() {
    EPicture ePicture = EPicture::Select;
    if (!m_ctx.app.ServersRunning()) {
        if (m_ctx.methods.Net()) {
            ePicture = EPicture::NetTransfer;
        } else if (m_ctx.methods.Serial()) {
            ePicture = EPicture::SerialTransfer;
        }
    } else {
        ePicture = m_ctx.app.Config().m_nBootNet.load() != 0 ? EPicture::NetTransfer
                                                             : EPicture::SerialTransfer;
    }
    m_pPicture->setPixmap(Picture(ePicture, 64));
    return true;
}

bool CPropTransfer::OnApply() {
    m_ctx.app.Config().m_bTranCloseDone = m_pCloseDone->isChecked();
    m_ctx.app.Config().m_bTranAutoStart = m_pAutoStart->isChecked();
    return true;
}

// A screen reader names the bar and the "X" by the unit beside them; the "X" stops
// nothing, so it does not say it would.
QString CPropTransfer::SlotUnit(int nSlot) const {
    const QLabel* pName = m_arrNames[static_cast<size_t>(nSlot)];
    return pName->isVisibleTo(this) ? pName->text() : tr("Slot %1").arg(nSlot + 1);
}

void CPropTransfer::NameBar(int nSlot) {
    QProgressBar* pBar = m_arrBars[static_cast<size_t>(nSlot)];
    pBar->setAccessibleName(tr("%1: %2 %").arg(SlotUnit(nSlot)).arg(pBar->value()));
}

void CPropTransfer::NameSlot(int nSlot) {
    const size_t n = static_cast<size_t>(nSlot);
    NameBar(nSlot);
    const QString strX = tr("Stopping %1 alone is not available").arg(SlotUnit(nSlot));
    m_arrCancel[n]->setAccessibleName(strX);
    m_arrCancel[n]->setToolTip(strX);
    // Else the tooltip is read again after the name; this says what to do instead.
    m_arrCancel[n]->setAccessibleDescription(tr("Stop ends every transfer"));
}

void CPropTransfer::ShowBootEvent(const CBootEvent& event) {
    if (StatusOf(event)) {
        m_pHint->setVisible(m_ctx.app.ServersRunning() && m_ctx.app.TransferCount() == 0);
    } else if (const auto* pLine = std::get_if<CLogLine>(&event)) {
        m_pGate->Touch();
        // The empty text clears the log; a line ends in a line break.
        m_pLog->AddText(pLine->strText.empty() ? QString() : LogText(pLine->strText + "\r\n"));
    } else if (const auto* pLabel = std::get_if<CSlotLabel>(&event)) {
        ShowSlotLabel(pLabel->nSlot, pLabel->strName);
    } else if (const auto* pProgress = std::get_if<CSlotProgress>(&event)) {
        ShowSlotProgress(pProgress->nSlot, pProgress->nPercent);
    }
}

// The lines as shown, as plain text.
void CPropTransfer::SaveLog() {
    SaveTextAs(m_ctx.files, m_ctx.boxes, this, tr("Save the Log As").toStdString(),
               "orxboot-log.txt", tr("Text files (*.txt)").toStdString(),
               "The log could not be saved to",
               [this] { return m_pLog->toPlainText().toStdString(); });
}

void CPropTransfer::ShowSlotLabel(int nSlot, const std::string& strName) {
    if (nSlot < 0 || nSlot >= kSlots) return;
    m_pGate->Touch();
    const size_t n = static_cast<size_t>(nSlot);
    m_arrNames[n]->setText(LogText(strName).section(QChar('\n'), 0, 0));
    m_arrNames[n]->setVisible(!strName.empty());
    m_arrCancel[n]->setVisible(!strName.empty());
    NameSlot(nSlot);
}

void CPropTransfer::ShowSlotProgress(int nSlot, int nPercent) {
    if (nSlot < 0 || nSlot >= kSlots) return;
    QProgressBar* pBar = m_arrBars[static_cast<size_t>(nSlot)];
    m_pGate->Touch();
    if (nPercent < 0) {
        pBar->hide();
        return;
    }
    pBar->setValue(nPercent);
    pBar->show();
    NameBar(nSlot);  // the unit's "X" keeps its name while the percent moves
}
