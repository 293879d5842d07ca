#include "app/ImageInfoReport.h"

#include <cstdarg>

#include "app/JsonLine.h"

namespace {

__attribute__((format(printf, 1, 2))) std::string Format(const char* pszFormat, ...) {
    char sz[160];
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(sz, sizeof sz, pszFormat, args);
    va_end(args);
    return sz;
}

std::string RecordRow(const CImageRecordInfo& rec) {
    if (rec.IsEnd())
        return Format("  0x%08llx  end record, entry point 0x%08x\n",
                      static_cast<unsigned long long>(rec.nOffset), rec.dwLength);
    return Format("  0x%08llx  0x%08x  %10u  0x%08x  0x%08x  %s\n",
                  static_cast<unsigned long long>(rec.nOffset), rec.dwAddress, rec.dwLength,
                  rec.dwStored, rec.dwComputed, rec.ChecksumHolds() ? "ok" : "BAD");
}

std::string RecordTable(const char* pszTitle, const std::vector<CImageRecordInfo>& arrRecords) {
    std::string str = Format("\n%s (%zu):\n", pszTitle, arrRecords.size());
    str += "  offset      address         length  stored      computed\n";
    for (const CImageRecordInfo& rec : arrRecords) str += RecordRow(rec);
    return str;
}

const CImageRecordInfo* EndRecord(const CImageInfo& info) {
    const bool bEnd = !info.arrFileOrder.empty() && info.arrFileOrder.back().IsEnd();
    return bEnd ? &info.arrFileOrder.back() : nullptr;
}

std::string JsonRecords(const std::vector<CImageRecordInfo>& arrRecords) {
    std::string str = "[";
    for (const CImageRecordInfo& rec : arrRecords) {
        if (str.size() > 1) str += ",";
        str += Format(
            "\n    {\"offset\": %llu, \"address\": %u, \"length\": %u, \"checksum\": %u, "
            "\"computed\": %u, \"end\": %s, \"ok\": %s}",
            static_cast<unsigned long long>(rec.nOffset), rec.dwAddress, rec.dwLength, rec.dwStored,
            rec.dwComputed, rec.IsEnd() ? "true" : "false", rec.ChecksumHolds() ? "true" : "false");
    }
    return str + (arrRecords.empty() ? "]" : "\n  ]");
}

}  // namespace

std::string FormatImageInfoText(const CImageInfo& info) {
    if (!info.bLoaded) return {};
    std::string str =
        "Boot image    " + info.strPath + ", " + std::to_string(info.nFileSize) + " bytes\n";
    if (info.bHeader) {
        str += Format("Image start   0x%08x\n", info.dwImageStart);
        str += Format("Image length  0x%08x (%u bytes)\n", info.dwImageLength, info.dwImageLength);
    }
    const CImageRecordInfo* pEnd = EndRecord(info);
    str += pEnd ? Format("Entry point   0x%08x\n", pEnd->dwLength) : "Entry point   none\n";
    str += RecordTable("Records in file order", info.arrFileOrder);
    if (info.bSerialAccepts)
        str += RecordTable("Records in load-address order, as a serial download sends them",
                           info.arrLoadOrder);
    str += "\nGaps and overlaps between records:\n";
    for (const CImageSpan& span : info.arrSpans)
        str += Format("  %-8s 0x%08llx - 0x%08llx  %llu bytes\n", span.bOverlap ? "overlap" : "gap",
                      static_cast<unsigned long long>(span.nFrom),
                      static_cast<unsigned long long>(span.nTo - 1),
                      static_cast<unsigned long long>(span.nTo - span.nFrom));
    if (info.arrSpans.empty()) str += info.bSerialAccepts ? "  none\n" : "  unknown\n";
    if (info.nTrailingBytes)
        str += Format("\n%llu bytes follow the end record; nothing reads them.\n",
                      static_cast<unsigned long long>(info.nTrailingBytes));
    str += info.bSerialAccepts ? "\nSerial download: accepts it\n"
                               : "\nSerial download: refuses it (\"Boot File is corrupt!\")\n";
    if (info.bOk) str += "OK: every checksum holds and the records end with the end record\n";
    return str;
}

std::string FormatImageInfoJson(const CImageInfo& info) {
    std::string str = "{\n  \"file\": " + JsonText(info.strPath) + ",\n";
    str += Format("  \"ok\": %s,\n", info.bOk ? "true" : "false");
    str += "  \"problem\": " + (info.bOk ? std::string("null") : JsonText(info.strProblem));
    if (info.bLoaded) {
        const CImageRecordInfo* pEnd = EndRecord(info);
        str += Format(",\n  \"size\": %u,\n", info.nFileSize);
        str += info.bHeader ? Format("  \"image_start\": %u,\n  \"image_length\": %u,\n",
                                     info.dwImageStart, info.dwImageLength)
                            : "  \"image_start\": null,\n  \"image_length\": null,\n";
        str += pEnd ? Format("  \"entry_point\": %u,\n", pEnd->dwLength)
                    : "  \"entry_point\": null,\n";
        str += "  \"file_order\": " + JsonRecords(info.arrFileOrder) + ",\n";
        str += "  \"load_order\": " + JsonRecords(info.arrLoadOrder) + ",\n";
        str += "  \"spans\": [";
        for (size_t i = 0; i < info.arrSpans.size(); ++i)
            str += Format("%s\n    {\"kind\": \"%s\", \"from\": %llu, \"to\": %llu}", i ? "," : "",
                          info.arrSpans[i].bOverlap ? "overlap" : "gap",
                          static_cast<unsigned long long>(info.arrSpans[i].nFrom),
                          static_cast<unsigned long long>(info.arrSpans[i].nTo));
        str += info.arrSpans.empty() ? "],\n" : "\n  ],\n";
        str += Format("  \"trailing_bytes\": %llu,\n",
                      static_cast<unsigned long long>(info.nTrailingBytes));
        str += Format("  \"serial_download\": %s", info.bSerialAccepts ? "true" : "false");
    }
    return str + "\n}\n";
}

int RunImageInfo(const std::vector<std::string>& arrArgs, FILE* pOut, FILE* pErr) {
    bool bJson = false;
    bool bUsage = false;
    std::vector<std::string> arrFiles;
    for (const std::string& strArg : arrArgs) {
        if (strArg == "--json")
            bJson = true;
        else if (strArg.starts_with("--"))
            bUsage |= strArg != "--info";
        else
            arrFiles.push_back(strArg);
    }
    if (bUsage || arrFiles.size() != 1) {
        std::fputs("orxboot: usage: orxboot --info [--json] FILE\n", pErr);
        return 2;
    }
    const CImageInfo info = InspectImageFile(arrFiles[0]);
    std::fputs((bJson ? FormatImageInfoJson(info) : FormatImageInfoText(info)).c_str(), pOut);
    std::fflush(pOut);
    if (info.bOk) return 0;
    std::fprintf(pErr, "orxboot: %s: %s\n", info.strPath.c_str(), info.strProblem.c_str());
    return 1;
}
