#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestImage.h"
#include "image/TransferFile.h"
#include "platform/LastError.h"

namespace {

struct LoadCase {
    const char* pszName;
    std::vector<uint8_t> bytes;
    bool bLoads;
    uint32_t dwError;  // expected last error when refused
};

TEST(TransferFileTest, LoadChecksOnlySizeAndSignature) {
    const LoadCase cases[] = {
        {"nine bytes", Bytes("B000FF\nab"), true, 0},
        {"eight bytes", Bytes("B000FF\nX"), false, ERROR_UNKNOWN_REVISION},
        {"empty", {}, false, ERROR_UNKNOWN_REVISION},
        {"lower case", Bytes("b000ff\nabcdef"), false, ERROR_UNKNOWN_REVISION},
        {"no newline", Bytes("B000FF abcdef"), false, ERROR_UNKNOWN_REVISION},
        {"big", MakeImageBytes(70001), true, 0},
    };
    CTempDir dir;
    for (const auto& c : cases) {
        CTransferFile file;
        const std::string strPath = WriteFile(dir.Path("f.bin"), c.bytes);
        SetLastError(0);
        EXPECT_EQ(file.Load(strPath, nullptr), c.bLoads) << c.pszName;
        if (c.bLoads) {
            ASSERT_EQ(file.Length(), c.bytes.size()) << c.pszName;
            EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.end(), file.Data())) << c.pszName;
        } else {
            EXPECT_EQ(GetLastError(), c.dwError) << c.pszName;
        }
    }
}

TEST(TransferFileTest, UnopenableFileLeavesTheRecentListOnce) {
    CTempDir dir;
    const std::string strMissing = dir.Path("Missing.bin");
    std::string strUpper = strMissing;
    for (auto& c : strUpper) c = static_cast<char>(toupper(c));
    std::vector<std::string> recent = {"a.bin", strUpper, "b.bin", dir.Path("missing.bin")};
    CTransferFile file;
    EXPECT_FALSE(file.Load(strMissing, &recent));
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ENOENT));
    EXPECT_EQ(recent, (std::vector<std::string>{"a.bin", "b.bin", dir.Path("missing.bin")}));
}

TEST(TransferFileTest, DirectoryIsRefusedAndReloadReplacesTheBytes) {
    CTempDir dir;
    CTransferFile file;
    std::vector<std::string> recent = {dir.Root()};
    EXPECT_FALSE(file.Load(dir.Root(), &recent));
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(EISDIR));
    EXPECT_TRUE(recent.empty());

    ASSERT_TRUE(file.Load(WriteFile(dir.Path("a.bin"), MakeImageBytes(600)), nullptr));
    ASSERT_TRUE(file.Load(WriteFile(dir.Path("b.bin"), Bytes("B000FF\n0123456789")), nullptr));
    EXPECT_EQ(file.Length(), 17u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.Data()) + 7, 10), "0123456789");
    file.Unload();
    EXPECT_EQ(file.Length(), 0u);
    EXPECT_EQ(file.Data(), nullptr);
    file.Unload();
}

}  // namespace
