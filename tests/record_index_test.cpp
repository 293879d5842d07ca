// The image's records in load-address order, end record last, built once per image. Cut and
// broken chains in general, and a plain sort, are shown through `--info` (image_info_test).
#include <gtest/gtest.h>

#include "image/TransferFile.h"
#include "tests/CaseName.h"
#include "tests/ImageRecords.h"
#include "tests/TestImage.h"

namespace {

struct CLoaded {
    CTempDir dir;
    CTransferFile file;
    bool Load(const std::vector<uint8_t>& bytes) {
        return file.Load(WriteFile(dir.Path("image.bin"), bytes), nullptr);
    }
    // The index as the records' checksums, which the tests use as their names.
    std::vector<uint32_t> Index() const {
        std::vector<uint32_t> out;
        for (size_t i = 0; i < file.RecordCount(); ++i) out.push_back(file.Record(i).Checksum());
        return out;
    }
};

struct CIndexCase {
    const char* pszName;
    std::vector<CImageRecord> records;
    std::vector<uint32_t> expected;  // checksums in index order; the end record's is 0
};

class RecordIndex : public ::testing::TestWithParam<CIndexCase> {};

TEST_P(RecordIndex, OrdersRecordsByAddressWithTheEndRecordLast) {
    CLoaded t;
    ASSERT_TRUE(t.Load(MakeImageBytes(GetParam().records)));
    ASSERT_TRUE(t.file.BuildRecordIndex());
    EXPECT_EQ(t.Index(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    RecordIndex, RecordIndex,
    ::testing::Values(
        CIndexCase{"TopBitIsUnsigned", {{0x80000000, {1}, 1}, {0x7FFFFFFF, {2}, 2}}, {2, 1, 0}},
        CIndexCase{"LaterOfEqualFirst", {{100, {1}, 1}, {100, {2}, 2}, {50, {}, 3}}, {3, 2, 1, 0}}),
    CaseName());

// A record length that wraps a 32-bit offset, or runs one byte past the end, must not pass.
TEST(RecordIndexDetail, LengthPastTheEndFailsEveryTimeAndLeavesTheIndexEmpty) {
    for (const uint32_t dwLength : {0xFFFFFFF8u, 20u + 12 + 1}) {
        auto bytes = MakeImageBytes({{100, std::vector<uint8_t>(20, 7)}});
        for (int i = 0; i < 4; ++i) bytes[19 + i] = static_cast<uint8_t>(dwLength >> (8 * i));
        CLoaded t;
        ASSERT_TRUE(t.Load(bytes));
        EXPECT_FALSE(t.file.BuildRecordIndex()) << dwLength;
        EXPECT_EQ(t.file.RecordCount(), 0u);
        EXPECT_FALSE(t.file.BuildRecordIndex()) << dwLength;
    }
}

TEST(RecordIndexDetail, ReloadEmptiesTheIndex) {
    CLoaded t;
    ASSERT_TRUE(t.Load(MakeImageBytes({{100, {1}, 1}, {50, {2}, 2}})));
    ASSERT_TRUE(t.file.BuildRecordIndex());
    ASSERT_TRUE(t.Load(MakeImageBytes(std::vector<CImageRecord>{})));
    EXPECT_EQ(t.file.RecordCount(), 0u);
    ASSERT_TRUE(t.file.BuildRecordIndex());
    EXPECT_EQ(t.Index(), std::vector<uint32_t>{0});
}

}  // namespace
