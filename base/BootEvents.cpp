#include "base/BootEvents.h"

std::optional<EBootStatus> StatusOf(const CBootEvent& event) {
    return std::visit(COverloaded{
                          [](const CTransferStarted&) -> std::optional<EBootStatus> {
                              return EBootStatus::TransferStarted;
                          },
                          [](const CTransferCompleted&) -> std::optional<EBootStatus> {
                              return EBootStatus::TransferCompleted;
                          },
                          [](const CTransferFailed&) -> std::optional<EBootStatus> {
                              return EBootStatus::TransferFailed;
                          },
                          [](const CServersStarted&) -> std::optional<EBootStatus> {
                              return EBootStatus::ServersStarted;
                          },
                          [](const CServersHalted&) -> std::optional<EBootStatus> {
                              return EBootStatus::ServersHalted;
                          },
                          [](const auto&) -> std::optional<EBootStatus> { return std::nullopt; },
                      },
                      event);
}

std::optional<std::string> ShownText(const CBootEvent& event) {
    if (const auto* pLine = std::get_if<CLogLine>(&event)) return pLine->strText;
    if (const auto* pLabel = std::get_if<CSlotLabel>(&event)) return pLabel->strName;
    if (StatusOf(event)) return std::string();
    return std::nullopt;
}

bool IsRecordOnly(const CBootEvent& event) {
    return std::holds_alternative<CTransferHalted>(event) ||
           std::holds_alternative<COtherServerSeen>(event);
}
