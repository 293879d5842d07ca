#pragma once
#include <array>
#include <string>

#include "base/BootEvents.h"
#include "ui/PageContext.h"
#include "ui/PropertyPage.h"

class CFrameGate;
class CLogView;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

// The running servers: a row (name, progress, "X") for each of the first five
// transfers, the log, the active method's picture, the serial hint and two settings.
class CPropTransfer : public CPropertyPage {
    Q_OBJECT
public:
    static constexpr int kSlots = BOOT_VISIBLE_SLOTS;
    explicit CPropTransfer(const CPageContext& ctx);

    // What the engine reports: the rows, the log and the status events.
    void ShowBootEvent(const CBootEvent& event);
    CLogView* Log() const { return m_pLog; }

protected:
    void OnInitDialog() override;
    bool OnSetActive() override;
    bool OnApply() override;

private:
    void ShowSlotLabel(int nSlot, const std::string& strName);
    void ShowSlotProgress(int nSlot, int nPercent);
    QString SlotUnit(int nSlot) const;
    void NameBar(int nSlot);
    void NameSlot(int nSlot);
    void SaveLog();

    const CPageContext m_ctx;
    QLabel* m_pPicture;
    QLabel* m_pHint;
    CLogView* m_pLog;
    CFrameGate* m_pGate;
    QCheckBox* m_pCloseDone;
    QCheckBox* m_pAutoStart;
    std::array<QLabel*, kSlots> m_arrNames{};
    std::array<QProgressBar*, kSlots> m_arrBars{};
    std::array<QPushButton*, kSlots> m_arrCancel{};
};
