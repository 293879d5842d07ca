// The image's records in load-address order, end record last, built once per image.
#include <gtest/gtest.h>

#include "image/TransferFile.h"
#include "tests/CaseName.h"
#include "tests/ImageRecords.h"
#include "tests/TestImage.h"

namespace {

// An image loaded from a file of its own, as the servers load it.
struct CLoaded {
    CTempDir dir;
    CTransferFile file;
    bool Load(const std::vector<uint8_t>& bytes) {
        return file.Load(WriteFile(dir.Path("image.bin"), bytes), nullptr);
    }
};

std::vector<uint32_t> IndexAddresses(const CTransferFile& file) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < file.RecordCount(); ++i) out.push_back(file.Record(i).Address());
    return out;
}

struct CIndexCase {
    const char* pszName;
    std::vector<CImageRecord> records;
    std::vector<uint32_t> expected;
};

class RecordIndex : public ::testing::TestWithParam<CIndexCase> {};

TEST_P(RecordIndex, OrdersRecordsByAddressWithTheEndRecordLast) {
    CLoaded t;
    ASSERT_TRUE(t.Load(MakeImageBytes(GetParam().records)));
    ASSERT_TRUE(t.file.BuildRecordIndex());
    EXPECT_EQ(IndexAddresses(t.file), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    RecordIndex, RecordIndex,
    ::testing::Values(
        CIndexCase{"EndRecordOnly", {}, {0}},
        CIndexCase{"Descending", {{200, {1}}, {100, {2}}}, {100, 200, 0}},
        CIndexCase{"TopBitIsUnsigned",
                   {{0x80000000, {1}}, {0x7FFFFFFF, {2}}},
                   {0x7FFFFFFF, 0x80000000, 0}},
        CIndexCase{"Mixed", {{30, {}}, {10, {1, 2}}, {40, {3}}, {20, {}}}, {10, 20, 30, 40, 0}}),
    CaseName());

TEST(RecordIndexDetail, EqualAddressesPutTheLaterRecordFirst) {
    CLoaded t;
    ASSERT_TRUE(t.Load(MakeImageBytes({{100, {1}, 0x11}, {100, {2}, 0x22}, {50, {}, 0x33}})));
    ASSERT_TRUE(t.file.BuildRecordIndex());
    ASSERT_EQ(t.file.RecordCount(), 4u);
    EXPECT_EQ(t.file.Record(0).Checksum(), 0x33u);
    EXPECT_EQ(t.file.Record(1).Checksum(), 0x22u);
    EXPECT_EQ(t.file.Record(2).Checksum(), 0x11u);
}

TEST(RecordIndexDetail, BytesAfterTheEndRecordAreIgnored) {
    CLoaded t;
    auto bytes = MakeImageBytes({{100, {1, 2, 3}}});
    bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0x01});
    ASSERT_TRUE(t.Load(bytes));
    ASSERT_TRUE(t.file.BuildRecordIndex());
    EXPECT_EQ(IndexAddresses(t.file), (std::vector<uint32_t>{100, 0}));
}

struct CBrokenCase {
    const char* pszName;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Cut(std::vector<uint8_t> b, size_t n) {
    b.resize(n);
    return b;
}

std::vector<uint8_t> WithLength(std::vector<uint8_t> b, uint32_t dwLength) {
    for (int i = 0; i < 4; ++i) b[19 + i] = static_cast<uint8_t>(dwLength >> (8 * i));
    return b;
}

std::vector<CBrokenCase> BrokenCases() {
    const auto good = MakeImageBytes({{100, std::vector<uint8_t>(20, 7)}});
    return {
        {"HeaderOnly", Cut(good, 15)},
        {"PartOfARecordHeader", Cut(good, 20)},
        {"DataPastTheEnd", Cut(good, 15 + 12 + 10)},
        {"NoEndRecord", Cut(good, 15 + 12 + 20)},
        {"EndRecordCut", Cut(good, good.size() - 1)},
        {"LengthWrapsPastFourGigabytes", WithLength(good, 0xFFFFFFF8)},
        {"LengthJustPastTheEnd", WithLength(good, 20 + 12 + 1)},
    };
}

class BrokenChain : public ::testing::TestWithParam<CBrokenCase> {};

TEST_P(BrokenChain, FailsEveryTimeAndLeavesTheIndexEmpty) {
    CLoaded t;
    ASSERT_TRUE(t.Load(GetParam().bytes));
    EXPECT_FALSE(t.file.BuildRecordIndex());
    EXPECT_EQ(t.file.RecordCount(), 0u);
    EXPECT_FALSE(t.file.BuildRecordIndex());
}

INSTANTIATE_TEST_SUITE_P(RecordIndex, BrokenChain, ::testing::ValuesIn(BrokenCases()), CaseName());

TEST(RecordIndexDetail, ReloadEmptiesTheIndex) {
    CLoaded t;
    ASSERT_TRUE(t.Load(MakeImageBytes({{100, {1}}, {50, {2}}})));
    ASSERT_TRUE(t.file.BuildRecordIndex());
    ASSERT_TRUE(t.Load(MakeImageBytes(std::vector<CImageRecord>{})));
    EXPECT_EQ(t.file.RecordCount(), 0u);
    ASSERT_TRUE(t.file.BuildRecordIndex());
    EXPECT_EQ(IndexAddresses(t.file), std::vector<uint32_t>{0});
}

}  // namespace
