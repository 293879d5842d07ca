#include "image/Sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

struct DigestCase {
    std::string strData;
    const char* pszDigest;  // as sha256sum prints it
};

std::string Counting(size_t n) {
    std::string str;
    for (size_t i = 0; i < n; ++i) str += static_cast<char>(i & 0xFF);
    return str + "x";
}

// Lengths around the 56-byte padding limit and the 64-byte block, fed whole and in uneven
// pieces that straddle the blocks.
TEST(Sha256Test, KnownDigests) {
    const DigestCase cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {Counting(1024), "8b22d5427688462387bbd8fcef9d2a1f1cb3a8886cd48e604b29e2913b663399"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const DigestCase& c : cases) {
        const auto* p = reinterpret_cast<const uint8_t*>(c.strData.data());
        EXPECT_EQ(Sha256Hex(p, c.strData.size()), c.pszDigest) << c.strData.size() << " bytes";
        CSha256 hash;
        for (size_t nAt = 0, nStep = 1; nAt < c.strData.size(); nAt += nStep, nStep = nStep * 3 + 1)
            hash.Update(p + nAt, std::min(nStep, c.strData.size() - nAt));
        EXPECT_EQ(DigestHex(hash.Final()), c.pszDigest) << c.strData.size() << " bytes in pieces";
    }
}

}  // namespace
