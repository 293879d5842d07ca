#pragma once
// One transfer as the boot history keeps it, and the forms it is shown in: a JSON line
// (the history file, --history --json, --events), a table (--history) and CSV (Export).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/JsonLine.h"

struct CBootRecord {
    std::string strStart;  // local time with its offset, as LocalTimeText writes it
    std::string strEnd;
    std::string strUnit;    // the unit's name, or the port of a serial transfer
    std::string strMethod;  // "NET", or the port of a serial transfer
    std::string strIp;      // dotted decimal; empty when not known (serial)
    std::string strMac;     // "00:0e:8c:01:02:03"; empty when not known
    std::string strImage;   // the boot image file's path
    uint64_t nImageSize = 0;
    std::string strSha256;  // of the image as it was loaded
    uint64_t nBytesSent = 0;
    uint64_t nDurationMs = 0;
    bool bCompleted = false;
    std::string strReason;  // why it failed; empty when it completed

    // Mean bytes per second over the transfer; 0 when it took no time.
    uint64_t Rate() const { return nDurationMs ? nBytesSent * 1000 / nDurationMs : 0; }
    const char* Result() const { return bCompleted ? "completed" : "failed"; }
};

// Transfers that ended, by result.
struct CRecordCounts {
    int nCompleted = 0;
    int nFailed = 0;
};

// What a table of records shows in each column: --history and the History view.
struct CRecordColumn {
    const char* pszTitle;
    std::string (*fnText)(const CBootRecord&);
    bool bNumber;  // right-aligned, sorted by value
};
const std::vector<CRecordColumn>& RecordColumns();

// The record's members in the order the README lists them.
CJsonObject RecordJson(const CBootRecord& rec);
// Nothing when the object is no record (start, end, unit or result missing).
std::optional<CBootRecord> RecordFromJson(const CJsonObject& obj);

// A table for people: a header line, then one line per record in the given order.
std::string RecordTable(const std::vector<CBootRecord>& arrRecords);
// RFC 4180: a header row, then one row per record, lines ending in CR LF. A text that a
// spreadsheet would take for a formula (=, +, -, @ first) starts with ' instead.
std::string RecordsCsv(const std::vector<CBootRecord>& arrRecords);
