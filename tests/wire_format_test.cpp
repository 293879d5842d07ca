#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "net/WireFormat.h"

namespace {
using Bytes = std::vector<uint8_t>;

Bytes BootRequest(const uint8_t (&prefix)[3], const Bytes& nameField, size_t nLen = 64) {
    Bytes req(nLen, 0xEE);  // fields the server must not look at
    if (nLen >= 13) std::memcpy(req.data() + 10, prefix, 3);
    for (size_t i = 0; i < nameField.size() && 37 + i < nLen; ++i) req[37 + i] = nameField[i];
    return req;
}

Bytes Text(const char* psz, bool bNul = true) {
    Bytes b(psz, psz + std::strlen(psz));
    if (bNul) b.push_back(0);
    return b;
}
}  // namespace

TEST(WireBootRequest, OnlyExactly64BytesIsARequest) {
    for (size_t nLen : {0u, 1u, 53u, 63u, 65u, 516u, 1446u}) {
        const Bytes req = BootRequest(ORX_MANUFACTURER_PREFIX, Text("UNIT"), nLen);
        CBootRequest out;
        EXPECT_FALSE(DecodeBootRequest(req.data(), req.size(), out)) << nLen;
    }
    const Bytes req = BootRequest(ORX_MANUFACTURER_PREFIX, Text("UNIT"));
    CBootRequest out;
    ASSERT_TRUE(DecodeBootRequest(req.data(), req.size(), out));
    EXPECT_TRUE(HasOrxPrefix(out));
}

TEST(WireBootRequest, NameField) {
    struct Case {
        const char* pszWhat;
        Bytes field;
        std::string strName;
    };
    const Case cases[] = {
        {"short name ends at its NUL", Text("ORXHV7410"), "ORXHV7410"},
        {"16 characters without NUL are complete", Text("ABCDEFGHIJKLMNOP", false),
         "ABCDEFGHIJKLMNOP"},
        {"byte 53 never belongs to the name", Text("ABCDEFGHIJKLMNOPQRS", false),
         "ABCDEFGHIJKLMNOP"},
        {"field starting with NUL is empty", Bytes{0, 'X', 'Y'}, ""},
        {"control and high bytes are masked", Bytes{'A', 0x1B, '[', '2', 'J', 0x9B, 0xFF, 0},
         "A?[2J??"},
    };
    for (const Case& c : cases) {
        const Bytes req = BootRequest(ORX_MANUFACTURER_PREFIX, c.field);
        CBootRequest out;
        ASSERT_TRUE(DecodeBootRequest(req.data(), req.size(), out)) << c.pszWhat;
        EXPECT_EQ(out.strName, c.strName) << c.pszWhat;
    }
}

TEST(WireBootRequest, PrefixMustMatchAllThreeBytes) {
    const uint8_t others[][3] = {{0x00, 0x4F, 0x52},
                                 {0x02, 0x4E, 0x52},
                                 {0x02, 0x4F, 0x53},
                                 {0x52, 0x4F, 0x02},
                                 {0x00, 0x00, 0x00}};
    for (const auto& prefix : others) {
        const Bytes req = BootRequest(prefix, Text("UNIT"));
        CBootRequest out;
        ASSERT_TRUE(DecodeBootRequest(req.data(), req.size(), out));
        EXPECT_FALSE(HasOrxPrefix(out));
        EXPECT_EQ(0, std::memcmp(out.arrPrefix, prefix, 3));
    }
}

TEST(WireServerPackets, WriteRequestAndJumpAreExactBytes) {
    uint8_t buf[32];
    std::memset(buf, 0xAA, sizeof buf);
    ASSERT_EQ(BuildWriteRequest(buf), 17u);
    const Bytes wrq = {0x00, 0x02, 'b', 'o', 'o', 't', '.', 'b', 'i',
                       'n',  0x00, 'o', 'c', 't', 'e', 't', 0x00};
    EXPECT_EQ(Bytes(buf, buf + 17), wrq);
    EXPECT_EQ(buf[17], 0xAA);

    std::memset(buf, 0xAA, sizeof buf);
    ASSERT_EQ(BuildJumpPacket(buf), 9u);
    const Bytes jump = {0x45, 0x44, 0x42, 0x47, 0xFF, 0x01, 0x00, 0x02, 0x00};
    EXPECT_EQ(Bytes(buf, buf + 9), jump);
    EXPECT_EQ(buf[9], 0xAA);
}

TEST(WireServerPackets, DataBlockSizesAndHeader) {
    Bytes image(1025);
    std::iota(image.begin(), image.end(), uint8_t{0});
    struct Case {
        uint32_t nOffset;
        uint16_t wBlock;
        size_t nPacket;
    };
    const Case cases[] = {
        {0, 1, 516}, {512, 2, 516}, {1024, 3, 5}, {1025, 4, 0}, {2000, 5, 0}, {1, 0xFFFF, 516},
    };
    for (const Case& c : cases) {
        Bytes buf(516, 0xAA);
        const size_t n = BuildDataBlock(buf.data(), image.data(), 1025, c.nOffset, c.wBlock);
        ASSERT_EQ(n, c.nPacket) << c.nOffset;
        if (n == 0) {
            EXPECT_EQ(buf, Bytes(516, 0xAA)) << "nothing written at the end";
            continue;
        }
        EXPECT_EQ(buf[0], 0x00);
        EXPECT_EQ(buf[1], 0x03);
        EXPECT_EQ(buf[2], c.wBlock >> 8);
        EXPECT_EQ(buf[3], c.wBlock & 0xFF);
        EXPECT_TRUE(std::equal(buf.begin() + 4, buf.begin() + static_cast<long>(n),
                               image.begin() + c.nOffset));
    }
}

TEST(WireServerPackets, DataBlockHonoursSmallerMaximum) {
    const Bytes image(100, 0x5A);
    Bytes buf(4 + 32);
    EXPECT_EQ(BuildDataBlock(buf.data(), image.data(), 100, 80, 7, 32), 4u + 20u);
    EXPECT_EQ(BuildDataBlock(buf.data(), image.data(), 100, 0, 7, 32), 4u + 32u);
}

TEST(WireNewboot, BuildIsHeaderNameAndNul) {
    const Bytes lab = BuildNewbootBroadcast("lab");
    EXPECT_EQ(lab, (Bytes{'n', 'e', 'w', 'b', 'o', 'o', 't', ' ', 'l', 'a', 'b', 0}));
    EXPECT_EQ(BuildNewbootBroadcast("").size(), 9u);
}

TEST(WireNewboot, DecodeAcceptsOnlyTheFramedRange) {
    struct Case {
        const char* pszWhat;
        Bytes packet;
        bool bOk;
        std::string strHost;
    };
    auto Framed = [](size_t nLen, uint8_t fill) {
        Bytes b(nLen, fill);
        std::memcpy(b.data(), "newboot ", 8);
        return b;
    };
    Bytes nulInside = Text("newboot abc", false);
    nulInside.insert(nulInside.end(), {0, 'x', 'y'});
    const Case cases[] = {
        {"own broadcast round trip", BuildNewbootBroadcast("bench-7"), true, "bench-7"},
        {"header alone is too short", Text("newboot ", false), false, ""},
        {"ninth byte NUL: empty name", Framed(9, 0), true, ""},
        {"no NUL: name to the end", Text("newboot lab", false), true, "lab"},
        {"name ends at the first NUL", nulInside, true, "abc"},
        {"258 bytes accepted", Framed(258, 'h'), true, std::string(250, 'h')},
        {"259 bytes refused", Framed(259, 'h'), false, ""},
        {"wrong case refused", Text("Newboot lab"), false, ""},
        {"missing space refused", Text("newbootXlab"), false, ""},
        {"control bytes masked", Bytes{'n', 'e', 'w', 'b', 'o', 'o', 't', ' ', 'a', '\r', 'b'},
         true, "a?b"},
    };
    for (const Case& c : cases) {
        std::string strHost = "unchanged";
        EXPECT_EQ(DecodeNewbootBroadcast(c.packet.data(), c.packet.size(), strHost), c.bOk)
            << c.pszWhat;
        if (c.bOk) {
            EXPECT_EQ(strHost, c.strHost) << c.pszWhat;
        }
    }
}
