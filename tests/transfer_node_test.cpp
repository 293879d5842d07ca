#include <gtest/gtest.h>

#include <vector>

#include "Fakes.h"
#include "TestImage.h"
#include "image/TransferFile.h"
#include "net/NetTransfer.h"

namespace {

// Images past 32 MiB need more than 65535 blocks: the number goes on from 0, as units expect.
TEST(TransferNode, BlockNumberWrapsFrom65535ToZero) {
    CTempDir dir;
    CTransferFile image;
    ASSERT_TRUE(image.Load(WriteFile(dir.Path("img.bin"), MakeImageBytes(2000)), nullptr));
    CFakeClock clock;
    CNetTransfer node(CUnitRef{"UNIT", false, 0x0500007Fu, 4711, std::nullopt}, clock);
    node.m_wBlock = 65534;
    std::vector<uint16_t> arrBlocks;
    while (node.BuildNextData(image))
        arrBlocks.push_back(static_cast<uint16_t>(node.m_pPacket[2] << 8 | node.m_pPacket[3]));
    EXPECT_EQ(arrBlocks, (std::vector<uint16_t>{65534, 65535, 0, 1}));
}

}  // namespace
