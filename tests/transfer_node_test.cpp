#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Fakes.h"
#include "TestImage.h"
#include "net/TransferNode.h"

namespace {
using Bytes = std::vector<uint8_t>;

const CSockAddr kUnit{0x0500007Fu, 4711};  // 127.0.0.5
const Bytes kWriteRequest = {0,   2, 'b', 'o', 'o', 't', '.', 'b', 'i',
                             'n', 0, 'o', 'c', 't', 'e', 't', 0};

Bytes Packet(const CTransferNode& node) {
    return Bytes(node.m_pPacket.get(), node.m_pPacket.get() + node.m_nPacketLen);
}

uint16_t BlockOf(const Bytes& packet) {
    return static_cast<uint16_t>(packet[2] << 8 | packet[3]);
}

class TransferNodeTest : public ::testing::Test {
protected:
    void LoadImage(size_t nLength) {
        m_bytes = MakeImageBytes(nLength);
        ASSERT_TRUE(m_image.Load(WriteFile(m_dir.Path("img.bin"), m_bytes), nullptr));
    }
    CFakeClock m_clock;
    CTempDir m_dir;
    CTransferFile m_image;
    Bytes m_bytes;
};

TEST_F(TransferNodeTest, NetworkNodeStartsWithTheWriteRequestAndBlockOne) {
    m_clock.m_dwNow = 123456;
    CTransferNode node(kUnit, "UNIT", m_clock);
    EXPECT_FALSE(node.IsSerial());
    EXPECT_EQ(Packet(node), kWriteRequest);
    EXPECT_EQ(node.m_wBlock, 1);
    EXPECT_EQ(node.m_nSent, 0u);
    EXPECT_EQ(node.m_nMaxData, 512u);
    EXPECT_EQ(node.m_nLastPercent, -1);
    EXPECT_EQ(node.m_dwLastSend, 123456u);
}

TEST_F(TransferNodeTest, SerialNodeHasNoBufferUntilItAsksForOne) {
    CTransferNode node(CSockAddr{INADDR_ALL_ONES, 0}, "COM3", m_clock);
    EXPECT_TRUE(node.IsSerial());
    EXPECT_EQ(node.m_pPacket, nullptr);
    EXPECT_EQ(node.m_wBlock, 0);
    LoadImage(100);
    EXPECT_FALSE(node.BuildNextData(m_image));
    EXPECT_EQ(node.m_nSent, 0u);
    node.AllocPacket(12, 256);
    EXPECT_EQ(node.m_nMaxData, 256u);
    ASSERT_NE(node.m_pPacket, nullptr);
}

TEST_F(TransferNodeTest, BlockNumberWrapsFrom65535ToZero) {
    LoadImage(2000);
    CTransferNode node(kUnit, "UNIT", m_clock);
    node.m_wBlock = 65534;
    std::vector<uint16_t> arrBlocks;
    while (node.BuildNextData(m_image)) arrBlocks.push_back(BlockOf(Packet(node)));
    EXPECT_EQ(arrBlocks, (std::vector<uint16_t>{65534, 65535, 0, 1}));
}

}  // namespace
