#include "app/BootRecord.h"

#include <algorithm>
#include <array>

namespace {
std::string Seconds(uint64_t nMs) {
    return std::to_string(nMs / 1000) + "." + std::to_string(nMs % 1000 / 100);
}

const std::vector<CRecordColumn> kTableColumns = {
    {"Start", [](const CBootRecord& r) { return r.strStart; }, false},
    {"Unit", [](const CBootRecord& r) { return r.strUnit; }, false},
    {"Method", [](const CBootRecord& r) { return r.strMethod; }, false},
    {"IP", [](const CBootRecord& r) { return r.strIp.empty() ? "-" : r.strIp; }, false},
    {"MAC", [](const CBootRecord& r) { return r.strMac.empty() ? "-" : r.strMac; }, false},
    {"Bytes", [](const CBootRecord& r) { return std::to_string(r.nBytesSent); }, true},
    {"Seconds", [](const CBootRecord& r) { return Seconds(r.nDurationMs); }, true},
    {"Bytes/s", [](const CBootRecord& r) { return std::to_string(r.Rate()); }, true},
    {"Result", [](const CBootRecord& r) { return std::string(r.Result()); }, false},
    {"Reason", [](const CBootRecord& r) { return r.strReason; }, false},
};

std::string CsvField(std::string str, bool bNumber) {
    if (!bNumber && !str.empty() && std::string_view("=+-@\t\r").find(str[0]) != std::string::npos)
        str.insert(0, 1, '\'');
    if (str.find_first_of(",\"\r\n") == std::string::npos) return str;
    std::string strQuoted = "\"";
    for (const char ch : str) strQuoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    return strQuoted + "\"";
}
}  // namespace

const std::vector<CRecordColumn>& RecordColumns() {
    return kTableColumns;
}

CJsonObject RecordJson(const CBootRecord& rec) {
    CJsonObject obj;
    obj.Add("start", rec.strStart).Add("end", rec.strEnd).Add("unit", rec.strUnit);
    obj.Add("method", rec.strMethod).AddText("ip", rec.strIp);
    obj.AddText("mac", rec.strMac).Add("image", rec.strImage);
    obj.Add("image_size", rec.nImageSize).Add("sha256", rec.strSha256);
    obj.Add("bytes_sent", rec.nBytesSent).Add("duration_ms", rec.nDurationMs);
    obj.Add("rate", rec.Rate()).Add("result", rec.Result());
    return obj.AddText("reason", rec.strReason);
}

std::optional<CBootRecord> RecordFromJson(const CJsonObject& obj) {
    CBootRecord rec;
    rec.strStart = obj.Text("start");
    rec.strEnd = obj.Text("end");
    rec.strUnit = obj.Text("unit");
    const std::string strResult = obj.Text("result");
    if (rec.strStart.empty() || rec.strEnd.empty() || rec.strUnit.empty() ||
        (strResult != "completed" && strResult != "failed"))
        return std::nullopt;
    rec.bCompleted = strResult == "completed";
    rec.strMethod = obj.Text("method");
    rec.strIp = obj.Text("ip");
    rec.strMac = obj.Text("mac");
    rec.strImage = obj.Text("image");
    rec.nImageSize = obj.Count("image_size").value_or(0);
    rec.strSha256 = obj.Text("sha256");
    rec.nBytesSent = obj.Count("bytes_sent").value_or(0);
    rec.nDurationMs = obj.Count("duration_ms").value_or(0);
    rec.strReason = obj.Text("reason");
    return rec;
}

std::string RecordTable(const std::vector<CBootRecord>& arrRecords) {
    std::vector<std::vector<std::string>> arrRows(arrRecords.size() + 1,
                                                  std::vector<std::string>(kTableColumns.size()));
    std::vector<size_t> arrWidth(kTableColumns.size());
    for (size_t c = 0; c < kTableColumns.size(); ++c) {
        arrRows[0][c] = kTableColumns[c].pszTitle;
        for (size_t r = 0; r < arrRecords.size(); ++r)
            arrRows[r + 1][c] = kTableColumns[c].fnText(arrRecords[r]);
        for (const auto& row : arrRows) arrWidth[c] = std::max(arrWidth[c], row[c].size());
    }
    std::string strTable;
    for (const auto& row : arrRows) {
        std::string strLine;
        for (size_t c = 0; c < kTableColumns.size(); ++c) {
            const size_t nPad = arrWidth[c] - row[c].size();
            if (c > 0) strLine += "  ";
            strLine += kTableColumns[c].bNumber ? std::string(nPad, ' ') + row[c]
                                                : row[c] + std::string(nPad, ' ');
        }
        strLine.erase(strLine.find_last_not_of(' ') + 1);
        strTable += strLine + "\n";
    }
    return strTable;
}

std::string RecordsCsv(const std::vector<CBootRecord>& arrRecords) {
    std::string strCsv;
    const CJsonObject header = RecordJson(CBootRecord{});
    for (const auto& [strKey, value] : header.Members())
        strCsv += (strCsv.empty() ? "" : ",") + strKey;
    strCsv += "\r\n";
    for (const CBootRecord& rec : arrRecords) {
        std::string strRow;
        const CJsonObject obj = RecordJson(rec);
        for (const auto& [strKey, value] : obj.Members()) {
            if (!strRow.empty()) strRow += ",";
            strRow += CsvField(value.strText, value.eKind == CJsonValue::EKind::Number);
        }
        strCsv += strRow + "\r\n";
    }
    return strCsv;
}
