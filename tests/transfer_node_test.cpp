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
const Bytes kJump = {'E', 'D', 'B', 'G', 0xFF, 0x01, 0x00, 0x02, 0x00};

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

// Every image size walks the same road: full blocks, a short last block only when
// bytes remain, and the reassembled blocks are the file exactly.
TEST_F(TransferNodeTest, DataBlocksCarryTheWholeFileInOrder) {
    struct Case {
        size_t nLength;
        std::vector<size_t> arrBlockSizes;
    };
    const Case cases[] = {
        {9, {9}}, {512, {512}}, {513, {512, 1}}, {1024, {512, 512}}, {1025, {512, 512, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nLength);
        LoadImage(c.nLength);
        CTransferNode node(kUnit, "UNIT", m_clock);
        Bytes received;
        std::vector<size_t> arrSizes;
        while (node.BuildNextData(m_image)) {
            const Bytes packet = Packet(node);
            ASSERT_GE(packet.size(), 5u);
            EXPECT_EQ(packet[0], 0);
            EXPECT_EQ(packet[1], 3);
            EXPECT_EQ(BlockOf(packet), arrSizes.size() + 1);
            arrSizes.push_back(packet.size() - 4);
            received.insert(received.end(), packet.begin() + 4, packet.end());
            ASSERT_LE(arrSizes.size(), 10u);
        }
        EXPECT_EQ(arrSizes, c.arrBlockSizes);
        EXPECT_EQ(received, m_bytes);
        EXPECT_EQ(node.m_nSent, c.nLength);
        const Bytes last = Packet(node);
        EXPECT_FALSE(node.BuildNextData(m_image));
        EXPECT_EQ(Packet(node), last) << "nothing built past the end";
        node.BuildJump();
        EXPECT_TRUE(node.m_bJumpSent);
        EXPECT_EQ(Packet(node), kJump);
    }
}

TEST_F(TransferNodeTest, BlockNumberWrapsFrom65535ToZero) {
    LoadImage(2000);
    CTransferNode node(kUnit, "UNIT", m_clock);
    node.m_wBlock = 65534;
    std::vector<uint16_t> arrBlocks;
    while (node.BuildNextData(m_image)) arrBlocks.push_back(BlockOf(Packet(node)));
    EXPECT_EQ(arrBlocks, (std::vector<uint16_t>{65534, 65535, 0, 1}));
}

TEST_F(TransferNodeTest, EveryNewPacketRestartsItsRetriesAndClock) {
    LoadImage(1025);
    CTransferNode node(kUnit, "UNIT", m_clock);
    node.m_nRetries = 3;
    m_clock.Advance(5000);
    ASSERT_TRUE(node.BuildNextData(m_image));
    EXPECT_EQ(node.m_nRetries, 0u);
    EXPECT_EQ(node.m_dwLastSend, m_clock.m_dwNow.load());
    node.m_nRetries = 2;
    m_clock.Advance(700);
    node.BuildJump();
    EXPECT_EQ(node.m_nRetries, 0u);
    EXPECT_EQ(node.m_dwLastSend, m_clock.m_dwNow.load());
}

TEST_F(TransferNodeTest, ResendingSendsTheSameBytesToTheLatestPort) {
    LoadImage(700);
    CTransferNode node(kUnit, "UNIT", m_clock);
    CFakeSocket socket;
    ASSERT_TRUE(node.BuildNextData(m_image));
    node.SendPacket(socket);
    node.m_addrPeer.wPort = 5001;
    m_clock.Advance(1000);
    node.SendPacket(socket);
    ASSERT_EQ(socket.m_sent.size(), 2u);
    EXPECT_EQ(socket.m_sent[0].bytes, socket.m_sent[1].bytes);
    EXPECT_EQ(socket.m_sent[0].bytes.size(), 516u);
    EXPECT_EQ(socket.m_sent[0].addr, kUnit);
    EXPECT_EQ(socket.m_sent[1].addr, (CSockAddr{kUnit.dwAddr, 5001}));
    EXPECT_EQ(node.m_dwLastSend, m_clock.m_dwNow.load());
}

}  // namespace
