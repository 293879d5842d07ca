#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "TestImage.h"
#include "app/BootHistory.h"

namespace {

CBootRecord Record(int n, bool bCompleted = true) {
    CBootRecord rec;
    rec.strStart = "2024-05-01T10:22:" + std::to_string(10 + n % 50) + "+02:00";
    rec.strEnd = "2024-05-01T10:23:00+02:00";
    rec.strUnit = "ORXHV7410" + std::to_string(n);
    rec.strMethod = "NET";
    rec.strIp = "10.0.0." + std::to_string(n % 250 + 1);
    rec.strMac = "00:0e:8c:00:00:01";
    rec.strImage = "/images/hv7.bin";
    rec.nImageSize = 70000;
    rec.strSha256 = std::string(64, 'a');
    rec.nBytesSent = bCompleted ? 70000 : 1536;
    rec.nDurationMs = 1250;
    rec.bCompleted = bCompleted;
    if (!bCompleted) rec.strReason = "no acknowledgement after four resends";
    return rec;
}

std::vector<std::string> Units(const CHistoryContents& contents) {
    std::vector<std::string> arrUnits;
    for (const CBootRecord& rec : contents.arrRecords) arrUnits.push_back(rec.strUnit);
    return arrUnits;
}

// A process killed while it writes leaves whole lines; a crash that tore the last one (a
// power cut) costs that record alone: the next run ends it and adds its own after it.
TEST(BootHistoryTest, AKillOrATornLineCostsNoOtherRecord) {
    CTempDir dir;
    const std::string strFile = HistoryPath(dir.Root());
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        CBootHistory history(dir.Root());
        if (!history.Open()) _exit(1);
        for (int n = 0;; ++n) {
            history.Add(Record(n, n % 3 != 0));
            if (n % 20 == 19) history.Flush();  // the queue stays small until the kill
        }
    }
    struct stat st {};
    for (int i = 0; i < 500 && (stat(strFile.c_str(), &st) != 0 || st.st_size < 20000); ++i)
        usleep(10000);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    CHistoryContents killed = ReadHistory(dir.Root());
    ASSERT_GT(killed.arrRecords.size(), 20u);
    EXPECT_EQ(killed.nSkipped, 0u);
    EXPECT_EQ(killed.arrRecords[0].strReason, "no acknowledgement after four resends");
    EXPECT_EQ(RecordJson(killed.arrRecords[1]).Line(), RecordJson(Record(1)).Line());

    ASSERT_EQ(stat(strFile.c_str(), &st), 0);
    ASSERT_EQ(truncate(strFile.c_str(), st.st_size - 30), 0);
    {
        CBootHistory history(dir.Root());
        ASSERT_TRUE(history.Open());
        history.Add(Record(999));
        const CHistoryContents after = history.Read();
        EXPECT_EQ(after.nSkipped, 1u);
        EXPECT_EQ(after.strError, "");
        ASSERT_EQ(after.arrRecords.size(), killed.arrRecords.size());
        EXPECT_EQ(after.arrRecords.back().strUnit, "ORXHV7410999");
        EXPECT_EQ(history.Failure(), "");
    }
}

// Past the size the file is kept as .1 (and the one before as .2, the oldest gone); the
// history reads back oldest first across them, the records just added included.
TEST(BootHistoryThreaded, RotatesPastItsSizeAndKeepsTwoOldFiles) {
    CTempDir dir;
    const size_t nLine = RecordJson(Record(10)).Line().size() + 1;
    CBootHistory history(dir.Root(), 3 * nLine);
    ASSERT_TRUE(history.Open());
    for (int n = 10; n < 20; ++n) history.Add(Record(n));
    const CHistoryContents contents = history.Read();
    // Three records a file: 10-12 went, 13-15 in .2, 16-18 in .1, 19 in the file.
    EXPECT_EQ(Units(contents),
              (std::vector<std::string>{"ORXHV741013", "ORXHV741014", "ORXHV741015", "ORXHV741016",
                                        "ORXHV741017", "ORXHV741018", "ORXHV741019"}));
    EXPECT_TRUE(std::filesystem::exists(HistoryPath(dir.Root()) + ".2"));
    EXPECT_FALSE(std::filesystem::exists(HistoryPath(dir.Root()) + ".3"));
}

TEST(BootHistoryTest, AFolderThatCannotBeMadeIsTold) {
    CTempDir dir;
    WriteFile(dir.Path("file"), {});
    CBootHistory history(dir.Path("file") + "/orxboot");
    EXPECT_FALSE(history.Open());
    history.Add(Record(1));
    history.Flush();
    EXPECT_EQ(history.Failure(),
              "The boot history " + dir.Path("file") +
                  "/orxboot/history.jsonl cannot be opened: Not a directory (20)");
}

// A spreadsheet opens the export as the history holds it: quotes doubled, fields with a
// comma, quote or line break quoted, and a unit name that looks like a formula kept text.
TEST(BootHistoryTest, CsvQuotesWhatASpreadsheetWouldSplitOrRun) {
    CBootRecord rec = Record(1, false);
    rec.strUnit = "=HYPERLINK(\"x\")";
    rec.strImage = "/images/a,b\nc.bin";
    rec.strReason = "line hung up: Input/output error (5)";
    CBootRecord serial = Record(2);
    serial.strMethod = serial.strUnit = "COM3";
    serial.strIp = serial.strMac = "";
    EXPECT_EQ(RecordsCsv({rec, serial}),
              "start,end,unit,method,ip,mac,image,image_size,sha256,bytes_sent,duration_ms,rate,"
              "result,reason\r\n"
              "2024-05-01T10:22:11+02:00,2024-05-01T10:23:00+02:00,\"'=HYPERLINK(\"\"x\"\")\",NET,"
              "10.0.0.2,00:0e:8c:00:00:01,\"/images/a,b\nc.bin\",70000," +
                  std::string(64, 'a') +
                  ",1536,1250,1228,failed,line hung up: Input/output error (5)\r\n"
                  "2024-05-01T10:22:12+02:00,2024-05-01T10:23:00+02:00,COM3,COM3,,,/images/hv7.bin,"
                  "70000," +
                  std::string(64, 'a') + ",70000,1250,56000,completed,\r\n");
}

}  // namespace
