#include "app/HistoryReport.h"

#include "app/BootHistory.h"
#include "platform/SettingsPath.h"

std::string HistoryFolder() {
    return StateFolder("orxboot");
}

int RunHistory(const std::vector<std::string>& arrArgs, FILE* pOut, FILE* pErr) {
    bool bJson = false;
    for (const std::string& strArg : arrArgs) {
        if (strArg == "--json") {
            bJson = true;
        } else if (strArg != "--history") {
            std::fprintf(pErr, "orxboot: --history takes only --json, not %s\n", strArg.c_str());
            return 2;
        }
    }
    const std::string strFolder = HistoryFolder();
    const CHistoryContents contents = ReadHistory(strFolder);
    if (bJson) {
        for (const CBootRecord& rec : contents.arrRecords)
            std::fprintf(pOut, "%s\n", RecordJson(rec).Line().c_str());
    } else if (contents.arrRecords.empty()) {
        std::fprintf(pOut, "No boot history in %s yet.\n", HistoryPath(strFolder).c_str());
    } else {
        std::fputs(RecordTable(contents.arrRecords).c_str(), pOut);
        std::fprintf(pOut, "%zu records in %s\n", contents.arrRecords.size(),
                     HistoryPath(strFolder).c_str());
    }
    if (contents.nSkipped > 0)
        std::fprintf(pErr, "orxboot: %zu lines of the history are no record and were skipped\n",
                     contents.nSkipped);
    if (contents.strError.empty()) return 0;
    std::fprintf(pErr, "orxboot: %s\n", contents.strError.c_str());
    return 1;
}
