// The one CSV quoter, and which reports quote a field with blanks at its ends: each file
// keeps the bytes it always had.
#include "support/csv.h"

#include <gtest/gtest.h>

#include "backup/backup_report.h"
#include "fakes/fake_platform.h"
#include "restore/restore_run.h"

namespace zv {
namespace {

TEST(CsvFieldTest, QuotesWhatRfc4180NeedsAndEdgeBlanksOnlyWhenAsked) {
    struct Case {
        std::string in, bare, quoted;
    };
    const std::vector<Case> cases = {
        {"plain", "plain", "plain"},
        {"", "", ""},
        {"a,b", "\"a,b\"", "\"a,b\""},
        {"\"", "\"\"\"\"", "\"\"\"\""},
        {"cr\ronly", "\"cr\ronly\"", "\"cr\ronly\""},
        {" lead", " lead", "\" lead\""},
        {"trail ", "trail ", "\"trail \""},
        {" ", " ", "\" \""},
        {"in side", "in side", "in side"},
        {"\ttab", "\ttab", "\ttab"},
        {" a,b ", "\" a,b \"", "\" a,b \""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CsvField(c.in, EdgeBlanks::Bare), c.bare) << c.in;
        EXPECT_EQ(CsvField(c.in, EdgeBlanks::Quoted), c.quoted) << c.in;
    }
}

TEST(CsvFieldTest, TheBackupReportQuotesEdgeBlanksAndTheRestoreReportDoesNot) {
    fakes::FakePlatform p;
    backup::BackupResult result;
    DriverRecord card;
    card.description = " Card ";
    card.className = "Net";
    card.infName = "oem1.inf";
    result.drivers.push_back({card, "", {}, true, std::nullopt});
    result.drivers[0].files.push_back({"a.sys", "C:\\a.sys", FileOutcome::Copied, 0, "", 1, "ab"});
    const std::string backupText = backup::ReportText(p.env, result);
    EXPECT_NE(backupText.find("\r\n\" Card \",Net,oem1.inf,"), std::string::npos) << backupText;

    restore::Item item;
    item.relative = "Net\\ Card \\x.inf";
    item.outcome = restore::Outcome::Staged;
    const std::string restoreText = restore::ReportText({item});
    EXPECT_NE(restoreText.find("\r\nNet\\ Card \\x.inf,"), std::string::npos) << restoreText;
}

}  // namespace
}  // namespace zv
