#include "support/ModError.h"

#include <gtest/gtest.h>

#include "fakes/fake_ui.h"
#include "support/guard.h"
#include "support/line_table.h"

namespace zv {
namespace {

// A small line table of our own, so the cases do not depend on the program's sources.
struct TestTable {
    std::vector<std::string> texts = std::vector<std::string>(kLineTableSize);
    std::vector<const char*> pointers;
    TestTable() {
        texts[7] = "x = Mid$(a, \"b\", 1) ' comment";
        texts[299] = "for (short x = 1; x <= count; ++x) {";
        for (auto& t : texts) pointers.push_back(t.c_str());
    }
};

class ReporterTest : public ::testing::Test {
protected:
    TestTable table;
    fakes::FakeUi ui;
    ModError::Reporter reporter{ui, table.pointers.data()};
};

TEST_F(ReporterTest, ShowsTheFiveLinesWithTheFailingStatementsText) {
    EXPECT_FALSE(reporter.initialised());
    reporter.ReportError(6, "Overflow", 299);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(
        ui.shown[0].text,
        "Error Number: 6.\r\nError Description: Overflow.\r\nError Line: 299.\r\n"
        "Error Code: for (short x = 1; x <= count; ++x) {\r\nDo you wish to pause on this error again?");
    EXPECT_EQ(ui.shown[0].title, "Error");
    EXPECT_EQ(ui.shown[0].style, 35u);  // Yes/No/Cancel, question icon, Yes default
    EXPECT_TRUE(reporter.initialised());
    // A second failure on another line shows that line's own text.
    reporter.ReportError(5, "Invalid procedure call or argument", 7);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_NE(ui.shown[1].text.find("Error Code: x = Mid$(a, \"b\", 1) ' comment\r\n"), std::string::npos);
}

TEST_F(ReporterTest, NoSilencesOnlyThatLineAndYesOrCancelDoNot) {
    ui.queueAnswer(kIdNo);
    reporter.ReportError(53, "File not found", 7);
    reporter.ReportError(53, "File not found", 7);
    EXPECT_EQ(ui.shown.size(), 1u);
    reporter.ReportError(53, "File not found", 299);
    EXPECT_EQ(ui.shown.size(), 2u);

    ui.queueAnswer(kIdYes);
    reporter.ReportError(6, "Overflow", 299);
    ui.queueAnswer(kIdCancel);
    reporter.ReportError(6, "Overflow", 299);
    reporter.ReportError(6, "Overflow", 299);
    EXPECT_EQ(ui.shown.size(), 5u);
    EXPECT_EQ(reporter.dontPause(), (std::vector<short>{0, 7}));
    EXPECT_EQ(reporter.lastAnswer(), kIdYes);
}

TEST_F(ReporterTest, LineZeroIsSilentAndBuildsTheTable) {
    reporter.ReportError(5, "Invalid procedure call or argument", 0);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(reporter.initialised());
    EXPECT_EQ(reporter.dontPause(), (std::vector<short>{0}));
}

TEST_F(ReporterTest, KeepsTheDescriptionsOwnFullStopAndShowsLargeNumbersInFull) {
    reporter.ReportError(-2147024891, "Access is denied.", 7);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(
        ui.shown[0].text.rfind("Error Number: -2147024891.\r\nError Description: Access is denied..\r\n", 0),
        0u);
}

TEST(GuardTest, ReportsTheLastMarkedLineAndEndsTheBody) {
    TestTable table;
    fakes::FakeUi ui;
    ModError::Reporter reporter{ui, table.pointers.data()};
    int reached = 0;
    Guard(reporter, [&](int& erl) {
        LN(7) reached = 1;
        LN(299) Raise(kErrOverflow);
        reached = 2;
    });
    EXPECT_EQ(reached, 1);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_NE(ui.shown[0].text.find("Error Line: 299."), std::string::npos);
    EXPECT_NE(ui.shown[0].text.find("Error Description: Overflow."), std::string::npos);
}

TEST(GuardTest, LetsTheEndOfTheProgramThrough) {
    fakes::FakeUi ui;
    ModError::Reporter reporter{ui};
    EXPECT_THROW(Guard(reporter, [&](int& erl) { LN(1) throw ProgramExit{0}; }), ProgramExit);
    EXPECT_TRUE(ui.shown.empty());
}

TEST(GuardTest, SubscriptFailuresReportNumberNine) {
    fakes::FakeUi ui;
    ModError::Reporter reporter{ui};
    std::vector<int> none;
    Guard(reporter, [&](int& erl) { LN(2)(void) none.at(3); });
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text.substr(0, 17), "Error Number: 9.\r");
}

}  // namespace
}  // namespace zv
