#pragma once
// What the engine reports to a face, one type per kind of report. Each carries what it is
// about, so that a face can show it and a record of a unit's boot can be kept from it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// The transfer slots a face shows.
constexpr int BOOT_VISIBLE_SLOTS = 5;

// What a transfer is about; it does not change during the transfer.
struct CUnitRef {
    std::string strName;  // the unit's name, or the port's ("COM3") for a serial transfer
    bool bSerial = false;
    uint32_t dwAddr = 0;  // the unit's IPv4 address, network byte order; 0 for serial
    uint16_t wPort = 0;   // the UDP port its boot request came from
    std::optional<std::array<uint8_t, 6>> mac;  // from the boot request
};

enum class EFailReason {
    NoAcknowledgement,  // network: the fifth time-out without an answer
    NoResponse,         // serial: no go-ahead within its wait
    LineFailed,         // serial: the line failed (hung up, adapter pulled)
    Halted,             // serial: the servers were stopped during the download
    CorruptImage,       // the image's records could not be indexed; nothing was sent
    Displaced,          // network: a silent transfer ended for a unit that answered
};

// A log line without its line end; the empty text clears the log.
struct CLogLine {
    std::string strText;
};
// The name shown over a slot; the empty text hides the slot.
struct CSlotLabel {
    int nSlot = 0;
    std::string strName;
};
// The slot's percent, or -1 when the slot holds no transfer.
struct CSlotProgress {
    int nSlot = 0;
    int nPercent = -1;
};
struct CTransferStarted {
    CUnitRef unit;
    uint32_t nImageBytes = 0;
};
struct CTransferCompleted {
    CUnitRef unit;
    uint32_t nBytes = 0;
    uint32_t dwElapsedMs = 0;  // since the transfer joined the list
};
struct CTransferFailed {
    CUnitRef unit;
    EFailReason eReason = EFailReason::NoAcknowledgement;
    std::string strError;  // the platform's error text, where one caused it
    uint32_t nBytes = 0;
    uint32_t dwElapsedMs = 0;
};
struct CServersStarted {
    bool bNet = false;
    bool bSerial = false;
    std::vector<std::string> arrPorts;  // the serial ports opened, in port order
    std::string strBootFile;
    uint32_t nImageBytes = 0;
    std::string strSha256;  // of the image as loaded, in hexadecimal
};
struct CServersHalted {};
// Record only: a network transfer ended by a stop of the servers.
struct CTransferHalted {
    CUnitRef unit;
    uint32_t nBytes = 0;
    uint32_t dwElapsedMs = 0;
};
// Record only: another boot server announced itself on the network.
struct COtherServerSeen {
    std::string strServer;
    uint32_t dwAddr = 0;  // network byte order
};
// The last transfer completed with TRANCLOSEDONE set: the face closes as if the user had.
struct CCloseRequest {};

using CBootEvent = std::variant<CLogLine, CSlotLabel, CSlotProgress, CTransferStarted,
                                CTransferCompleted, CTransferFailed, CServersStarted,
                                CServersHalted, CTransferHalted, COtherServerSeen, CCloseRequest>;

// The status events: each comes right after every visible slot's label and progress.
enum class EBootStatus {
    TransferStarted,
    TransferCompleted,
    TransferFailed,
    ServersStarted,
    ServersHalted
};
std::optional<EBootStatus> StatusOf(const CBootEvent& event);
// Visits an event with one lambda per type: std::visit(COverloaded{...}, event).
template <class... F>
struct COverloaded : F... {
    using F::operator()...;
};
template <class... F>
COverloaded(F...) -> COverloaded<F...>;
// The text a face's status line shows for the event: the log line, the slot's name, or
// the empty text for a status event; none for what no status line shows.
std::optional<std::string> ShownText(const CBootEvent& event);
// Record-only events: no face shows them.
bool IsRecordOnly(const CBootEvent& event);
