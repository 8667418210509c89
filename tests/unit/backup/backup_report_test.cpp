// The backup report: its rows, its CSV form, its name beside an earlier one, and that
// it is written also when the run fails.
#include "backup/backup_report.h"

#include <gtest/gtest.h>

#include "fakes/fake_file_data.h"
#include "support/csv.h"
#include "unit/backup/backup_test_support.h"

namespace zv {
namespace {

using namespace testing_backup;
using Strings = std::vector<std::string>;

const std::string kCatMain = kStore + "\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}";

Strings Lines(const std::string& text) {
    Strings out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the last line lacks its CR LF";
    return out;
}

TEST(BackupReport, FieldsAreQuotedAsRfc4180Says) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"lf\nonly", "\"lf\nonly\""},
        {" padded ", "\" padded \""},
        {"C:\\a b\\c.sys", "C:\\a b\\c.sys"},
    };
    // The backup report quotes a field with blanks at its ends as well.
    for (const auto& [in, out] : cases) EXPECT_EQ(CsvField(in, EdgeBlanks::Quoted), out) << in;
}

TEST(BackupReport, OneRowPerFileWithSourceSizeAndHashAndRowsForFilesNotFound) {
    Machine m;
    m.driver("Fast, Card \xE9", "Net", "oem1.inf");
    m.inf("oem1.inf", "fast.cat", "12", {"fast.sys", "gone.dll", "FAST.SYS"});
    m.p.files.addFile(kCatMain + "\\oem1.cat", "catalog");
    m.p.files.addFile(kSys + "\\drivers\\fast.sys", "driver");
    m.run();
    // One row for a file named twice; the source as the later name spelt it.
    const auto text = m.p.files.contents(kRoot + "\\backup-report.csv");
    ASSERT_TRUE(text);
    const std::string inf = m.file(kWin + "\\inf\\oem1.inf");
    const std::string d = "\"Fast, Card \xC3\xA9\",Net,oem1.inf,";
    // The driver folder below the Zorvane folder, the driver's class-key instance, and the
    // forecast of its copies: a catalog that is no signed message and a kernel file.
    const std::string e = ",\"Net\\Fast, Card \xC3\xA9\",{Net}\\0000,unsigned,will not load: unsigned";
    EXPECT_EQ(
        Lines(*text),
        (Strings{
            "Driver,Class,INF,File,Status,Source,Size,SHA-256,Error,Error text,Folder,ID,Signature,After a "
            "clean "
            "install",
            d + "fast.cat,copied," + kCatMain + "\\oem1.cat,7," + fakes::Sha256Hex("catalog") + ",," + e,
            d + "fast.sys,copied," + kSys + "\\drivers\\FAST.SYS,6," + fakes::Sha256Hex("driver") + ",," + e,
            d + "oem1.inf,copied," + kWin + "\\inf\\oem1.inf," + std::to_string(inf.size()) + "," +
                fakes::Sha256Hex(inf) + ",," + e,
            d + "gone.dll,not found,,,,," + e}));
    EXPECT_EQ(m.titles(), (Strings{"Install", "Backup"}));
}

TEST(BackupReport, HashesAreThoseOfTheFilesAsEachDriverLeftThem) {
    // Two drivers share a folder: each row tells what that driver's copy held.
    Machine m;
    m.driver("Card", "Net", "a.inf");
    m.driver("Card", "Net", "b.inf");
    m.inf("a.inf", "", "12", {"shared.dat"});
    m.inf("b.inf", "", "10", {"shared.dat"});
    m.p.files.addFile(kSys + "\\drivers\\shared.dat", "from drivers");
    m.p.files.addFile(kWin + "\\shared.dat", "from windows");
    m.run();
    const Strings lines = Lines(m.file(kRoot + "\\backup-report.csv"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2], "Card,Net,a.inf,shared.dat,copied," + kSys + "\\Drivers\\shared.dat,12," +
                            fakes::Sha256Hex("from drivers") + ",,,Net\\Card,{Net}\\0000,unsigned,loads");
    EXPECT_EQ(lines[4], "Card,Net,b.inf,shared.dat,copied," + kWin + "\\shared.dat,12," +
                            fakes::Sha256Hex("from windows") + ",,,Net\\Card,{Net}\\0001,unsigned,loads");
    EXPECT_EQ(m.file(kRoot + "\\Net\\Card\\shared.dat"), "from windows");
}

TEST(BackupReport, AnEarlierReportIsKeptAndTheNewOneIsDated) {
    Machine m;
    m.driver("Card", "Net", "oem1.inf");
    m.inf("oem1.inf", "", "", {});
    m.p.files.addFile(kRoot + "\\backup-report.csv", "earlier run");
    m.p.files.addFile(kRoot + "\\backup-report-2026-12-08_09-05-30.csv", "earlier run, same second");
    m.run();
    EXPECT_EQ(m.file(kRoot + "\\backup-report.csv"), "earlier run");
    EXPECT_EQ(m.file(kRoot + "\\backup-report-2026-12-08_09-05-30.csv"), "earlier run, same second");
    EXPECT_EQ(Lines(m.file(kRoot + "\\backup-report-2026-12-08_09-05-30-2.csv")).size(), 2u);
    m.run();
    EXPECT_TRUE(m.p.files.exists(kRoot + "\\backup-report-2026-12-08_09-05-30-3.csv"));
}

TEST(BackupReport, AFailedRunReportsWhatWasDoneBeforeTheFailure) {
    Machine m;
    m.driver("One", "Net", "one.inf");
    m.driver("Two", "Net", "two.inf");
    m.driver("Three", "Net", "missing.inf");
    m.driver("Four", "Net", "four.inf");
    m.inf("one.inf", "", "", {});
    m.inf("two.inf", "", "12", {"two.sys"});
    m.inf("four.inf", "", "", {});
    m.p.files.addFile(kSys + "\\drivers\\two.sys", "2");
    m.run();
    ASSERT_EQ(m.p.reports().size(), 1u);
    EXPECT_NE(m.p.reports()[0].text.find("Error Line: 247."), std::string::npos);
    const Strings lines = Lines(m.file(kRoot + "\\backup-report.csv"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1].substr(0, 22), "One,Net,one.inf,one.in");
    EXPECT_EQ(lines[2].substr(0, 22), "Two,Net,two.inf,two.in");
    EXPECT_EQ(lines[3].substr(0, 22), "Two,Net,two.inf,two.sy");
    // The copy that stopped the run, with the Windows error.
    EXPECT_EQ(lines[4].substr(0, 50), "Three,Net,missing.inf,missing.inf,failed," + kWin.substr(0, 9));
    // No forecast for a driver the run did not finish.
    EXPECT_EQ(lines[4].substr(lines[4].size() - 40), ",2,System error 2,Net\\Three,{Net}\\0002,,");
}

TEST(BackupReport, AFailureInsideADriverReportsItsCopiesSoFar) {
    Machine m;
    m.driver("One", "Net", "one.inf");
    m.inf("one.inf", "", "12", {"a.sys", "b.sys"});
    m.p.files.addFile(kSys + "\\drivers\\a.sys", "a");
    m.p.files.addFile(kSys + "\\drivers\\b.sys", "b");
    m.p.files.failOn("CopyFile", kSys + "\\drivers\\b.sys", kErrorAccessDenied);
    m.run();
    ASSERT_EQ(m.p.reports().size(), 1u);
    const Strings lines = Lines(m.file(kRoot + "\\backup-report.csv"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].substr(0, 22), "One,Net,one.inf,a.sys,");
    EXPECT_EQ(lines[2].substr(0, 29), "One,Net,one.inf,b.sys,failed,");
    EXPECT_EQ(lines[3].substr(0, 22), "One,Net,one.inf,one.in");
}

// The report is no step of the run: a report that cannot be written leaves a completed
// run, with no error box, and the result says why it is missing.
// A disk that fills up while the report is written leaves no part of it under its name.
TEST(BackupReport, AReportThatCannotBeWrittenIsRecordedNotShownAsAnErrorOfTheRun) {
    for (const char* call : {"OpenForWrite", "WriteFile"}) {
        SCOPED_TRACE(call);
        Machine m;
        m.driver("One", "Net", "one.inf");
        m.inf("one.inf", "", "", {});
        m.p.files.failOn(call, kRoot + "\\backup-report.csv", kErrorDiskFull);
        m.run();
        EXPECT_TRUE(m.p.reports().empty());
        EXPECT_FALSE(m.p.files.exists(kRoot + "\\backup-report.csv"));
        EXPECT_EQ(m.titles(), (Strings{"Install", "Backup"}));
        EXPECT_EQ(m.result.end, backup::RunEnd::Completed);
        EXPECT_EQ(m.result.reportPath, "");
        EXPECT_EQ(m.result.reportError, kErrorDiskFull);
    }
}

TEST(BackupReport, NoReportWithoutADriverBackedUp) {
    Machine cancelled;
    cancelled.driver("One", "Net", "one.inf");
    cancelled.run(std::nullopt);
    EXPECT_FALSE(cancelled.p.files.exists(kRoot));

    Machine unticked;  // the tick is taken away while the run lets messages through
    unticked.driver("One", "Net", "one.inf");
    unticked.p.ui.onDoEvents = [&](int) { unticked.c.list.rows[0].checked = false; };
    unticked.run();
    EXPECT_FALSE(unticked.p.files.exists(kRoot + "\\backup-report.csv"));
    EXPECT_EQ(unticked.titles(), (Strings{"Install", "Backup"}));
}

}  // namespace
}  // namespace zv
