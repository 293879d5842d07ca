// `orxboot --info`: what a boot image holds, and one clear line when it is not sound.
#include <gtest/gtest.h>

#include <fstream>
#include <numeric>

#include "app/ImageInfoReport.h"
#include "tests/CaseName.h"
#include "tests/ImageRecords.h"
#include "tests/TestImage.h"

namespace {

struct CRun {
    int nExit = 0;
    std::string strOut, strErr;
};

CRun RunInfo(const std::vector<std::string>& arrArgs) {
    CStream out, err;
    const int nExit = RunImageInfo(arrArgs, out.m_pFile, err.m_pFile);
    return {nExit, out.Text(), err.Text()};
}

std::vector<uint32_t> Addresses(const std::vector<CImageRecordInfo>& arr) {
    std::vector<uint32_t> out;
    for (const auto& rec : arr) out.push_back(rec.dwAddress);
    return out;
}

CImageRecord Rec(uint32_t dwAddress, size_t nLength) {
    const auto data = Pattern(nLength, uint8_t(dwAddress));
    return {dwAddress, data, std::accumulate(data.begin(), data.end(), 0u)};
}

// An image that loads out of file order, with an overlap and a gap, is still sound.
TEST(ImageInfo, ShowsBothOrdersGapsOverlapsAndTheEntryPoint) {
    CTempDir dir;
    // Out of order in the file; 0x1008 overlaps 0x1000 by 8 bytes; a gap up to 0x2000.
    auto bytes = MakeImageBytes({Rec(0x2000, 4), Rec(0x1008, 16), Rec(0x1000, 16)}, 0x1234);
    bytes.insert(bytes.end(), {1, 2, 3});
    const std::string strPath = WriteFile(dir.Path("a.bin"), bytes);
    const CImageInfo info = InspectImageFile(strPath);
    ASSERT_TRUE(info.bOk) << info.strProblem;
    EXPECT_EQ(Addresses(info.arrFileOrder), (std::vector<uint32_t>{0x2000, 0x1008, 0x1000, 0}));
    EXPECT_EQ(Addresses(info.arrLoadOrder), (std::vector<uint32_t>{0x1000, 0x1008, 0x2000, 0}));
    EXPECT_EQ(info.arrFileOrder.back().dwLength, 0x1234u);
    std::string strSpans;
    for (const CImageSpan& span : info.arrSpans)
        strSpans += (span.bOverlap ? "overlap " : "gap ") + std::to_string(span.nFrom) + "-" +
                    std::to_string(span.nTo) + " ";
    EXPECT_EQ(strSpans, "overlap 4104-4112 gap 4120-8192 ");  // 0x1008-0x1010, 0x1018-0x2000
    EXPECT_EQ(info.nTrailingBytes, 3u);
    EXPECT_TRUE(info.bSerialAccepts);
    const CRun run = RunInfo({"--info", strPath});
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.strErr, "");
    EXPECT_NE(run.strOut.find("Image start   0x80000000\nImage length  0x00100000"),
              std::string::npos)
        << run.strOut;
    EXPECT_NE(run.strOut.find("Entry point   0x00001234"), std::string::npos);
    EXPECT_NE(run.strOut.find("overlap  0x00001008 - 0x0000100f  8 bytes"), std::string::npos);
    EXPECT_NE(run.strOut.find("OK: every checksum holds"), std::string::npos);
}

std::vector<uint8_t> Cut(std::vector<uint8_t> b, size_t n) {
    b.resize(n);
    return b;
}

std::vector<uint8_t> Poke32(std::vector<uint8_t> b, size_t nAt, uint32_t dw) {
    for (int i = 0; i < 4; ++i) b[nAt + i] = uint8_t(dw >> (8 * i));
    return b;
}

const std::vector<uint8_t> kGood = MakeImageBytes({Rec(0x100, 40), Rec(0x200, 8)});

struct CBadCase {
    const char* pszName;
    std::vector<uint8_t> bytes;  // the file inspected, unless pszPath names another
    const char* pszWhy;
    bool bSerialAccepts = false;
    const char* pszPath = nullptr;  // in the test's folder; "" is the folder itself
};

const CBadCase kBadCases[] = {
    {"BadChecksum", Poke32(kGood, 15 + 12 + 40 + 8, 7),
     "the record at offset 0x00000043 (address 0x00000200) fails its checksum: stored "
     "0x00000007, computed 0x",
     true},
    {"BrokenChain", Poke32(kGood, 15 + 4, 0x7FFF),
     "the record at offset 0x0000000f (address 0x00000100) holds 32767 data bytes, but only"},
    {"NoEndRecord", Cut(kGood, kGood.size() - 12), "no end record: the file ends after 2 records"},
    {"TruncatedInData", Cut(kGood, 15 + 12 + 10),
     "the file is shorter than its header says: the record at offset 0x0000000f (address "
     "0x00000100) holds 40 data bytes, but only 10 follow"},
    {"TruncatedInRecordHeader", Cut(kGood, kGood.size() - 5),
     "it ends inside the record header at offset 0x00000057 (7 of 12 bytes)"},
    {"TruncatedInImageHeader", Cut(kGood, 12),
     "the file ends inside the image header (12 of 15 bytes)"},
    {"Directory", {}, "cannot read it: Is a directory (21)", false, ""},
    {"Missing", {}, "cannot read it: No such file or directory (2)", false, "none.bin"},
    {"Empty", {}, "the file is empty: not a boot image (1305)"},
    {"FiveBytes", Cut(kGood, 5),
     "the file is only 5 bytes long: too short for a boot image (1305)"},
    {"NoSignature", Poke32(kGood, 0, 0x30303062),
     "not a boot image: the file does not start with B000FF (1305)"},
};

class ImageInfoBad : public ::testing::TestWithParam<CBadCase> {};

TEST_P(ImageInfoBad, ExitsOneWithOneLineSayingWhy) {
    CTempDir dir;
    const char* pszPath = GetParam().pszPath;
    const std::string strPath = !pszPath   ? WriteFile(dir.Path("bad.bin"), GetParam().bytes)
                                : *pszPath ? dir.Path(pszPath)
                                           : dir.Root();
    for (const bool bJson : {false, true}) {
        const CRun run = RunInfo(bJson ? std::vector<std::string>{"--info", strPath, "--json"}
                                       : std::vector<std::string>{"--info", strPath});
        EXPECT_EQ(run.nExit, 1);
        const std::string strPrefix = "orxboot: " + strPath + ": ";
        EXPECT_EQ(run.strErr.rfind(strPrefix, 0), 0u) << run.strErr;
        EXPECT_NE(run.strErr.find(GetParam().pszWhy), std::string::npos) << run.strErr;
        EXPECT_EQ(std::count(run.strErr.begin(), run.strErr.end(), '\n'), 1) << run.strErr;
        if (bJson) {
            EXPECT_NE(run.strOut.find("\"ok\": false"), std::string::npos);
        }
    }
    EXPECT_EQ(InspectImageFile(strPath).bSerialAccepts, GetParam().bSerialAccepts);
}

INSTANTIATE_TEST_SUITE_P(ImageInfo, ImageInfoBad, ::testing::ValuesIn(kBadCases), CaseName());

TEST(ImageInfo, CommandLineWithoutExactlyOneFileIsAUsageError) {
    for (const auto& arrArgs : std::vector<std::vector<std::string>>{
             {"--info"}, {"--info", "a", "b"}, {"--info", "--jsn", "a"}}) {
        const CRun run = RunInfo(arrArgs);
        EXPECT_EQ(run.nExit, 2);
        EXPECT_EQ(run.strErr, "orxboot: usage: orxboot --info [--json] FILE\n");
    }
}

// The real program, as a script would use it: JSON that parses, whatever the file's name.
TEST(ImageInfo, ProgramWritesJsonThatParses) {
    if (std::system("python3 -c '' 2>/dev/null") != 0) GTEST_SKIP() << "no python3";
    CTempDir dir;
    const std::string strPath =
        WriteFile(dir.Path("a \"quoted\"\\name.bin"), MakeImageBytes({Rec(0x100, 9)}));
    std::ofstream(dir.Path("check.py"))
        << "import json, sys\n"
           "d = json.load(sys.stdin)\n"
           "assert d['ok'] and d['file'].endswith('a \"quoted\"\\\\name.bin'), d\n"
           "assert [r['address'] for r in d['load_order']] == [256, 0], d\n"
           "assert d['entry_point'] == 0x80001000 and d['serial_download'], d\n";
    setenv("ORX_IMAGE", strPath.c_str(), 1);
    const std::string strRun =
        ORX_BIN_DIR "/orxboot --info \"$ORX_IMAGE\" --json | python3 " + dir.Path("check.py");
    EXPECT_EQ(std::system(strRun.c_str()), 0);
}

}  // namespace
