// The image's records in load-address order, end record last, built once per image.
#include <gtest/gtest.h>

#include <thread>

#include "tests/SerialTestUtil.h"

namespace {

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
    CSerialTestApp t;
    ASSERT_TRUE(t.LoadImage(MakeImageBytes(GetParam().records)));
    ASSERT_TRUE(t.app.m_file.BuildRecordIndex());
    EXPECT_EQ(IndexAddresses(t.app.m_file), GetParam().expected);
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
    [](const auto& info) { return std::string(info.param.pszName); });

TEST(RecordIndexDetail, EqualAddressesPutTheLaterRecordFirst) {
    CSerialTestApp t;
    ASSERT_TRUE(t.LoadImage(MakeImageBytes({{100, {1}, 0x11}, {100, {2}, 0x22}, {50, {}, 0x33}})));
    ASSERT_TRUE(t.app.m_file.BuildRecordIndex());
    ASSERT_EQ(t.app.m_file.RecordCount(), 4u);
    EXPECT_EQ(t.app.m_file.Record(0).Checksum(), 0x33u);
    EXPECT_EQ(t.app.m_file.Record(1).Checksum(), 0x22u);
    EXPECT_EQ(t.app.m_file.Record(2).Checksum(), 0x11u);
}

TEST(RecordIndexDetail, TwentySevenByteFileIsOneEndRecord) {
    CSerialTestApp t;
    const auto bytes = MakeImageBytes({}, 0x1234);
    ASSERT_EQ(bytes.size(), 27u);
    ASSERT_TRUE(t.LoadImage(bytes));
    ASSERT_TRUE(t.app.m_file.BuildRecordIndex());
    ASSERT_EQ(t.app.m_file.RecordCount(), 1u);
    EXPECT_EQ(t.app.m_file.Record(0).Length(), 0x1234u);
    // The index points into the loaded bytes, never at a copy.
    EXPECT_EQ(t.app.m_file.Record(0).Header(), t.app.m_file.Data() + 15);
}

TEST(RecordIndexDetail, BytesAfterTheEndRecordAreIgnored) {
    CSerialTestApp t;
    auto bytes = MakeImageBytes({{100, {1, 2, 3}}});
    bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0x01});
    ASSERT_TRUE(t.LoadImage(bytes));
    ASSERT_TRUE(t.app.m_file.BuildRecordIndex());
    EXPECT_EQ(IndexAddresses(t.app.m_file), (std::vector<uint32_t>{100, 0}));
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
    CSerialTestApp t;
    ASSERT_TRUE(t.LoadImage(GetParam().bytes));
    EXPECT_FALSE(t.app.m_file.BuildRecordIndex());
    EXPECT_EQ(t.app.m_file.RecordCount(), 0u);
    EXPECT_FALSE(t.app.m_file.BuildRecordIndex());
}

INSTANTIATE_TEST_SUITE_P(RecordIndex, BrokenChain, ::testing::ValuesIn(BrokenCases()),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST(RecordIndexDetail, ReloadEmptiesTheIndex) {
    CSerialTestApp t;
    ASSERT_TRUE(t.LoadImage(MakeImageBytes({{100, {1}}, {50, {2}}})));
    ASSERT_TRUE(t.app.m_file.BuildRecordIndex());
    ASSERT_TRUE(t.LoadImage(MakeImageBytes({})));
    EXPECT_EQ(t.app.m_file.RecordCount(), 0u);
    ASSERT_TRUE(t.app.m_file.BuildRecordIndex());
    EXPECT_EQ(IndexAddresses(t.app.m_file), std::vector<uint32_t>{0});
}

TEST(RecordIndexDetail, PortsBuildingAtOnceSeeOneWholeIndex) {
    CSerialTestApp t;
    std::vector<CImageRecord> records;
    for (uint32_t i = 0; i < 300; ++i) records.push_back({(i * 7919u) % 1000u + 1, {1}});
    ASSERT_TRUE(t.LoadImage(MakeImageBytes(records)));
    std::vector<std::thread> threads;
    std::atomic<int> nGood{0};
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&] {
            if (t.app.m_file.BuildRecordIndex() && t.app.m_file.RecordCount() == 301) ++nGood;
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(nGood.load(), 4);
    const auto addrs = IndexAddresses(t.app.m_file);
    EXPECT_TRUE(std::is_sorted(addrs.begin(), addrs.end() - 1));
    EXPECT_EQ(addrs.back(), 0u);
}

}  // namespace
