#include "restore/restore_run.h"

#include <gtest/gtest.h>

#include "unit/restore/restore_test_support.h"

namespace zv {
namespace {

using namespace testing_restore;
using restore::Outcome;
using Strings = std::vector<std::string>;

TEST(RestoreRun, StagesInfAndCatalogAsWindowsNamesThemAndWritesTheReport) {
    Machine m;
    m.driver("Net\\Card", "oem3.inf", Inf("card.cat"), "card.cat");
    m.driver("USB\\Hub", "hub.inf", Inf(""));
    const restore::Summary s = m.run();
    ASSERT_TRUE(s.ran);
    EXPECT_EQ(m.file(kInfFolder + "\\oem0.inf"), m.file(kBackup + "\\Net\\Card\\oem3.inf"));
    EXPECT_EQ(m.file(kStore + "\\oem0.cat"), "catalog of oem3.inf");
    EXPECT_EQ(m.file(kInfFolder + "\\oem1.inf"), m.file(kBackup + "\\USB\\Hub\\hub.inf"));
    ASSERT_EQ(m.setup.copies.size(), 2u);
    EXPECT_EQ(m.setup.copies[0].source, kBackup + "\\Net\\Card\\oem3.inf");
    EXPECT_EQ(m.setup.copies[0].mediaType, kSpostPath);
    EXPECT_EQ(m.setup.copies[0].style, kSpCopyNoOverwrite);
    EXPECT_EQ(m.file(kBackup + "\\restore-report.csv"),
              "INF,Outcome,Stored as,Installed for,Error number,Error text,Not installed because\r\n"
              "Net\\Card\\oem3.inf,staged,oem0.inf,,,,no device present with its ids\r\n"
              "USB\\Hub\\hub.inf,staged,oem1.inf,,,,no device present with its ids\r\n");
    // Nothing else in the backup folder changed.
    EXPECT_EQ(m.p.files.tree(kBackup),
              (Strings{"Net\\", "Net\\Card\\", "Net\\Card\\card.cat", "Net\\Card\\oem3.inf",
                       "restore-report.csv", "USB\\", "USB\\Hub\\", "USB\\Hub\\hub.inf"}));
    ASSERT_EQ(m.p.ui.shown.size(), 2u);
    EXPECT_EQ(
        m.p.ui.shown[0].text,
        "Found 2 drivers in D:\\Drivers.\r\nAdd them to the Windows driver store and install them on the "
        "devices present now?");
    EXPECT_EQ(m.p.ui.shown[0].style, kMbYesNo | kMbIconQuestion);
    EXPECT_EQ(m.p.ui.shown[1].text,
              "Restore finished: 2 staged, 0 installed on a device, 0 already present, 0 failed.\r\n" +
                  std::string("No backup report was found for this folder, so the drivers could not be "
                              "checked before installing.\r\n") +
                  "The report is written to D:\\Drivers\\restore-report.csv.");
    EXPECT_EQ(m.p.ui.shown[1].title, "Restore");
    EXPECT_EQ(m.p.ui.shown[1].style, kMbIconInformation);
    EXPECT_EQ(m.c.bar.maxValue, 2);
    EXPECT_EQ(m.c.bar.values, (std::vector<long>{0, 1, 2}));
    EXPECT_EQ(m.c.form.mousePointer(), kPointerDefault);
    EXPECT_EQ(m.c.status.text, "Restore finished.");
}

TEST(RestoreRun, NoAtTheConfirmationChangesNothing) {
    Machine m;
    m.driver("Net\\Card", "card.inf", Inf("card.cat"), "card.cat");
    m.p.ui.queueAnswer(kIdNo);
    const auto before = m.p.files.tree("C:\\");
    const restore::Summary s = m.run();
    EXPECT_FALSE(s.ran);
    EXPECT_TRUE(m.setup.copies.empty());
    EXPECT_TRUE(m.setup.installs.empty());
    EXPECT_EQ(m.p.files.tree("C:\\"), before);
    EXPECT_FALSE(m.p.files.exists(kBackup + "\\restore-report.csv"));
    EXPECT_EQ(m.p.ui.shown.size(), 1u);
    EXPECT_TRUE(m.c.bar.values.empty());
}

TEST(RestoreRun, AFolderWithoutInfFilesSaysSoAndWritesNothing) {
    Machine m;
    m.p.files.addFile(kBackup + "\\readme.txt", "x");
    const restore::Summary s = m.run();
    EXPECT_FALSE(s.ran);
    ASSERT_EQ(m.p.ui.shown.size(), 1u);
    EXPECT_EQ(m.p.ui.shown[0].text, "No driver was found in D:\\Drivers: it holds no INF file.");
    EXPECT_FALSE(m.p.files.exists(kBackup + "\\restore-report.csv"));
}

// One row per way a driver can end; every driver is tried whatever the others did.
TEST(RestoreRun, EachDriversOutcomeIsReportedAndNoneStopsTheOthers) {
    Machine m;
    m.driver("A", "broken.inf", "[Version]\r\nSignature=\"$Wrong$\"\r\n");
    m.driver("B", "nocat.inf", Inf("gone.cat"));
    m.driver("C", "dev.inf", Inf("dev.cat", {"PCI\\VEN_1&DEV_2"}), "dev.cat");
    m.driver("D", "same.inf", Inf("", {"USB\\VID_9"}));
    m.driver("E", "denied.inf", Inf(""));
    m.driver("F", "old.inf", Inf("", {"ROOT\\OLD"}));
    m.p.files.addFile(kInfFolder + "\\oem0.inf",
                      Inf("", {"USB\\VID_9"}));  // same.inf is in the store already
    m.setup.presentIds = {"pci\\ven_1&dev_2", "USB\\VID_9", "ROOT\\OLD"};
    m.setup.copyErrors["D:\\DRIVERS\\E\\DENIED.INF"] = kErrorAccessDenied;
    m.setup.installErrors["ROOT\\OLD"] = kErrorNoMoreItems;  // the device's driver is as good already
    m.setup.rebootIds = {"PCI\\VEN_1&DEV_2"};
    const restore::Summary s = m.run();

    ASSERT_EQ(s.items.size(), 6u);
    EXPECT_EQ(s.items[0].outcome, Outcome::Failed);
    EXPECT_EQ(s.items[0].error, 0xE0000100u);
    EXPECT_EQ(s.items[0].errorText, "The INF file is not a Windows NT style INF (its Signature is wrong).");
    EXPECT_EQ(s.items[1].outcome, Outcome::Failed);
    EXPECT_EQ(s.items[1].errorText, "System error 2 (the catalog gone.cat is not next to the INF)");
    EXPECT_EQ(s.items[2].outcome, Outcome::Installed);
    EXPECT_EQ(s.items[2].devices, Strings{"PCI\\VEN_1&DEV_2"});
    EXPECT_EQ(s.items[3].outcome, Outcome::Installed);  // already staged, but the device gets it
    EXPECT_EQ(s.items[3].storedAs, "oem0.inf");
    EXPECT_EQ(s.items[4].outcome, Outcome::Failed);
    EXPECT_EQ(s.items[4].errorText, "System error 5");
    EXPECT_EQ(s.items[5].outcome, Outcome::Staged);
    EXPECT_EQ(s.counts.staged, 1);
    EXPECT_EQ(s.counts.installed, 2);
    EXPECT_EQ(s.counts.present, 0);
    EXPECT_EQ(s.counts.failed, 3 - 0 - 0);
    // The installer is given the INF in the backup folder, where its driver files are.
    ASSERT_EQ(m.setup.installs.size(), 3u);
    EXPECT_EQ(m.setup.installs[0].inf, kBackup + "\\C\\dev.inf");
    EXPECT_EQ(
        m.file(kBackup + "\\restore-report.csv"),
        "INF,Outcome,Stored as,Installed for,Error number,Error text,Not installed because\r\n"
        "A\\broken.inf,failed,,,0xE0000100,The INF file is not a Windows NT style INF (its Signature is "
        "wrong).,\r\n"
        "B\\nocat.inf,failed,,,2,System error 2 (the catalog gone.cat is not next to the INF),\r\n"
        "C\\dev.inf,installed,oem1.inf,PCI\\VEN_1&DEV_2,,,\r\n"
        "D\\same.inf,installed,oem0.inf,USB\\VID_9,,,\r\n"
        "E\\denied.inf,failed,,,5,System error 5,\r\n"
        "F\\old.inf,staged,oem2.inf,,,,the device has a better or newer driver already\r\n");
    // One restart question however many installs asked, and a restart only on Yes.
    ASSERT_EQ(m.p.ui.shown.size(), 2u);
    EXPECT_EQ(m.p.ui.shown[1].text,
              "Restore finished: 1 staged, 2 installed on a device, 0 already present, 3 failed.\r\n" +
                  std::string("No backup report was found for this folder, so the drivers could not be "
                              "checked before installing.\r\n") +
                  "Restart Windows to finish the installation.\r\n"
                  "The report is written to D:\\Drivers\\restore-report.csv.\r\n\r\nRestart Windows now?");
    EXPECT_EQ(m.p.ui.shown[1].style, kMbYesNo | kMbIconExclamation);
    EXPECT_EQ(m.p.system.restarts, 1);
}

TEST(RestoreRun, AnInfInTheStoreAlreadyWithoutADeviceIsAlreadyPresent) {
    Machine m;
    m.driver("A", "a.inf", Inf("", {"PCI\\ABSENT"}));
    m.p.files.addFile(kInfFolder + "\\oem0.inf", Inf("", {"PCI\\ABSENT"}));
    const restore::Summary s = m.run();
    ASSERT_EQ(s.items.size(), 1u);
    EXPECT_EQ(s.items[0].outcome, Outcome::AlreadyPresent);
    EXPECT_EQ(s.items[0].storedAs, "oem0.inf");
    EXPECT_TRUE(m.setup.installs.empty());  // no device of its ids is present
}

TEST(RestoreRun, AFailedInstallIsAFailureEvenThoughTheInfWasStaged) {
    Machine m;
    m.driver("A", "a.inf", Inf("", {"PCI\\X"}));
    m.setup.presentIds = {"PCI\\X"};
    m.setup.installErrors["PCI\\X"] = kErrorProcNotFound;
    const restore::Summary s = m.run();
    ASSERT_EQ(s.items.size(), 1u);
    EXPECT_EQ(s.items[0].outcome, Outcome::Failed);
    EXPECT_EQ(s.items[0].storedAs, "oem0.inf");
    EXPECT_EQ(s.items[0].error, kErrorProcNotFound);
}

TEST(RestoreRun, WithoutTheDeviceListDriversAreStillStaged) {
    Machine m;
    m.driver("A", "a.inf", Inf("", {"PCI\\X"}));
    m.setup.presentIds = {"PCI\\X"};
    m.setup.presentIdsError = kErrorAccessDenied;
    const restore::Summary s = m.run();
    EXPECT_EQ(s.counts.staged, 1);
    EXPECT_TRUE(m.setup.installs.empty());
}

// A report of an earlier, longer restore must not leave its tail behind the new one.
TEST(RestoreRun, AnOlderLongerReportIsReplacedWhole) {
    Machine m;
    m.driver("A", "a.inf", Inf(""));
    m.p.files.addFile(kBackup + "\\restore-report.csv", std::string(4000, 'x'));
    (void)m.run();
    EXPECT_EQ(m.file(kBackup + "\\restore-report.csv"),
              "INF,Outcome,Stored as,Installed for,Error number,Error text,Not installed because\r\n"
              "A\\a.inf,staged,oem0.inf,,,,no device present with its ids\r\n");
}

TEST(RestoreRun, AReportThatCannotBeWrittenIsToldInTheFinalMessage) {
    Machine m;
    m.driver("A", "a.inf", Inf(""));
    m.p.files.failOn("OpenForWrite", kBackup + "\\restore-report.csv", kErrorAccessDenied);
    const restore::Summary s = m.run();
    EXPECT_FALSE(s.reportWritten);
    EXPECT_EQ(s.reportError, kErrorAccessDenied);
    ASSERT_EQ(m.p.ui.shown.size(), 2u);
    EXPECT_EQ(m.p.ui.shown[1].text,
              "Restore finished: 1 staged, 0 installed on a device, 0 already present, 0 failed.\r\n" +
                  std::string("No backup report was found for this folder, so the drivers could not be "
                              "checked before installing.\r\n") +
                  "The report could not be written to D:\\Drivers\\restore-report.csv: System error 5.");
    EXPECT_EQ(m.p.ui.shown[1].style, kMbIconExclamation);
}

TEST(RestoreRun, ADriveRootGetsItsReportWithoutADoubledSeparator) {
    Machine m;
    m.p.files.addFile("D:\\a.inf", Inf(""));
    const restore::Summary s = m.run("D:\\", false);
    EXPECT_EQ(s.reportPath, "D:\\restore-report.csv");
    EXPECT_EQ(s.items.at(0).relative, "a.inf");
    EXPECT_TRUE(m.p.files.exists("D:\\restore-report.csv"));
}

TEST(RestoreReport, QuotesFieldsThatNeedIt) {
    restore::Item item;
    item.relative = "Net\\Card, \"new\"\\a.inf";
    item.outcome = Outcome::Failed;
    item.error = 2;
    item.errorText = "Not found, really";
    EXPECT_EQ(restore::ReportText({item}),
              "INF,Outcome,Stored as,Installed for,Error number,Error text,Not installed because\r\n"
              "\"Net\\Card, \"\"new\"\"\\a.inf\",failed,,,2,\"Not found, really\",\r\n");
}

TEST(MnuRestore, TheFolderBrowserPicksTheFolderAndCancelDoesNothing) {
    Machine m;
    m.driver("A", "a.inf", Inf(""));
    m.p.shell.queueFolder(std::nullopt);
    EXPECT_FALSE(restore::Run(m.p.env, m.c.controls, {}).ran);
    EXPECT_TRUE(m.p.ui.shown.empty());
    m.p.shell.queueFolder(kBackup);
    EXPECT_TRUE(restore::Run(m.p.env, m.c.controls, {}).ran);
    ASSERT_EQ(m.p.shell.browsed.size(), 2u);
    EXPECT_EQ(m.p.shell.browsed[1].owner, m.c.form.hwnd);
    EXPECT_EQ(m.p.shell.browsed[1].options, kBifReturnOnlyFsDirs);
}

}  // namespace
}  // namespace zv
