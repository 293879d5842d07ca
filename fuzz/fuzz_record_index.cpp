// Any image bytes: the record index is either whole and ordered or empty.
#include "image/TransferFile.h"
#include "tests/TestImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    static const std::string strPath = "/tmp/fuzz_record_index_" + std::to_string(getpid());
    std::vector<uint8_t> bytes = {'B', '0', '0', '0', 'F', 'F', '\n'};
    bytes.insert(bytes.end(), pData, pData + nSize);
    CTransferFile file;
    if (!file.Load(WriteFile(strPath, bytes), nullptr)) return 0;
    if (!file.BuildRecordIndex()) {
        if (file.RecordCount() != 0 || file.BuildRecordIndex()) std::abort();
        return 0;
    }
    const size_t n = file.RecordCount();
    if (n == 0 || file.Record(n - 1).Address() != 0) std::abort();
    for (size_t i = 0; i + 1 < n; ++i) {
        const CTransferFileRecInfo& rec = file.Record(i);
        if (rec.Address() == 0) std::abort();
        if (i + 2 < n && rec.Address() > file.Record(i + 1).Address()) std::abort();
        // Every record lies wholly inside the image.
        const size_t nOffset = static_cast<size_t>(rec.Header() - file.Data());
        if (nOffset + 12 + rec.Length() > file.Length()) std::abort();
    }
    return 0;
}
