// Any line in the history file: it reads as a record or is skipped, and whatever reads is
// written back the way it was read.
#include <cstdlib>
#include <string_view>

#include "app/BootRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::string_view strLine(reinterpret_cast<const char*>(pData), nSize);
    const std::optional<CJsonObject> obj = ParseJsonObject(strLine);
    if (!obj) return 0;
    const std::string strWritten = obj->Line();
    const std::optional<CJsonObject> again = ParseJsonObject(strWritten);
    if (!again || again->Line() != strWritten) std::abort();
    const std::optional<CBootRecord> rec = RecordFromJson(*obj);
    if (!rec) return 0;
    const std::string strRecord = RecordJson(*rec).Line();
    const std::optional<CJsonObject> recordAgain = ParseJsonObject(strRecord);
    if (!recordAgain || RecordJson(*RecordFromJson(*recordAgain)).Line() != strRecord) std::abort();
    RecordTable({*rec});
    RecordsCsv({*rec});
    return 0;
}
