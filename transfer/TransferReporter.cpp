#include "transfer/TransferReporter.h"

#include "base/Config.h"
#include "image/TransferFile.h"
#include "transfer/TransferTable.h"

namespace {
// (100 x sent + length / 2) / length, halves rounded up.
int32_t PercentOf(uint32_t nSent, uint32_t nLength) {
    if (nLength == 0) return -1;
    return static_cast<int32_t>((100ull * nSent + nLength / 2) / nLength);
}
}  // namespace

CTransferReporter::CTransferReporter(CEventReporter& events, CTransferTable& transfers,
                                     const CTransferFile& image, const CORXBootConfig& config)
    : m_events(events), m_transfers(transfers), m_image(image), m_config(config) {}

void CTransferReporter::LogTransferMessage(int nSlot, const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    const std::string strText = FormatV(pszFormat, args);
    va_end(args);
    const std::optional<std::string> strName = m_transfers.NameAt(nSlot);
    if (strName) m_events.Post(CLogLine{*strName + ": " + strText});
}

void CTransferReporter::PostProgress(int nSlot) {
    if (nSlot < 0 || !m_events.ViewAttached()) return;
    m_transfers.WithProgress(
        nSlot, [&](uint32_t nSent) { return PercentOf(nSent, m_image.Length()); },
        [&](int32_t nPercent) {
            m_events.Post(CSlotProgress{nSlot, nPercent});
        });
}

void CTransferReporter::PostStatus(CBootEvent event) {
    for (int nSlot = 0; nSlot < BOOT_VISIBLE_SLOTS; ++nSlot) {
        std::string strName = m_transfers.NameAt(nSlot).value_or(std::string());
        m_events.Post(CSlotLabel{nSlot, std::move(strName)});
        PostProgress(nSlot);
    }
    const bool bCompleted = std::holds_alternative<CTransferCompleted>(event);
    m_events.Post(std::move(event));
    if (bCompleted && m_config.m_bTranCloseDone && m_transfers.Count() == 0)
        m_events.RequestClose();
}
