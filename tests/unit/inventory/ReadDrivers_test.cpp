#include "inventory/ReadDrivers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_controls.h"
#include "fakes/fake_platform.h"
#include "support/runtime_error.h"

namespace zv {
namespace {

const std::string kClass = "SYSTEM\\CurrentControlSet\\Control\\Class";

struct Instance {
    std::string cls, name;
    const char* provider;  // null: no ProviderName value
    const char* desc;      // null: no DriverDesc value
    const char* inf;       // null: no InfPath value
};

class ReadDriversTest : public ::testing::Test {
protected:
    fakes::FakePlatform p;
    fakes::FakeControls ui;

    void classKey(const std::string& cls, const char* def, const char* name) {
        p.registry.createKey(kHkeyLocalMachine, kClass + "\\" + cls);
        if (def) p.registry.setString(kHkeyLocalMachine, kClass + "\\" + cls, "", def);
        if (name) p.registry.setString(kHkeyLocalMachine, kClass + "\\" + cls, "Class", name);
    }
    void instance(const Instance& i) {
        const std::string path = kClass + "\\" + i.cls + "\\" + i.name;
        p.registry.createKey(kHkeyLocalMachine, path);
        if (i.provider) p.registry.setString(kHkeyLocalMachine, path, "ProviderName", i.provider);
        if (i.desc) p.registry.setString(kHkeyLocalMachine, path, "DriverDesc", i.desc);
        if (i.inf) p.registry.setString(kHkeyLocalMachine, path, "InfPath", i.inf);
    }
    // A population with every kind of instance the filter tells apart.
    void seed() {
        classKey("A-Display", "Display adapters", "Display");
        instance({"A-Display", "0000", "Microsoft", "Standard VGA", "display.inf"});
        instance({"A-Display", "0001", "Pixelwerk", "Pixelwerk GX", "oem3.inf"});
        classKey("B-Net", "Network adapters", "Net");
        instance({"B-Net", "0000", "Microsoft Corporation", "Loopback", "netloop.inf"});
        instance({"B-Net", "0001", "MICROSOFT", "Miniport", "netmp.inf"});
        instance({"B-Net", "0002", nullptr, "No provider", "oem7.inf"});
        instance({"B-Net", "0003", "", "Empty provider", "oem8.inf"});
        instance({"B-Net", "0004", " Microsoft", "Leading blank", "oem9.inf"});
        instance({"B-Net", "0005", "Acme", nullptr, "oem10.inf"});
        instance({"B-Net", "0006", "Acme", "", "oem11.inf"});
        instance({"B-Net", "Properties", nullptr, nullptr, nullptr});
        classKey("C-Empty", "No drivers here", "Empty");
        classKey("D-Bare", nullptr, nullptr);
        instance({"D-Bare", "0000", "Acme", "Twin", nullptr});
        instance({"D-Bare", "0001", "Acme", "Twin", "oem12.inf"});
    }
    std::vector<std::string> descriptions() const {
        std::vector<std::string> out;
        for (const auto& r : ui.list.rows) out.push_back(r.text);
        return out;
    }
};

TEST_F(ReadDriversTest, ListsByProviderAndCheckBoxInEnumerationOrder) {
    seed();
    ReadDrivers(p.env, ui.controls);
    EXPECT_EQ(descriptions(),
              (std::vector<std::string>{"Pixelwerk GX", "Loopback", "Leading blank", "Twin", "Twin"}));

    ui.check.ticked = 1;
    ReadDrivers(p.env, ui.controls);
    EXPECT_EQ(descriptions(),
              (std::vector<std::string>{"Standard VGA", "Pixelwerk GX", "Loopback", "Miniport", "No provider",
                                        "Empty provider", "Leading blank", "Twin", "Twin"}));
    EXPECT_TRUE(p.ui.shown.empty());  // a class without subkeys shows nothing either
}

TEST_F(ReadDriversTest, FillsTheFiveCellsAndLeavesMissingValuesEmpty) {
    seed();
    ui.check.ticked = 1;
    ReadDrivers(p.env, ui.controls);
    ASSERT_EQ(ui.list.rows.size(), 9u);
    const auto& vga = ui.list.rows[0];
    EXPECT_EQ(vga.sub[1], "Display adapters");
    EXPECT_EQ(vga.sub[2], "Microsoft");
    EXPECT_EQ(vga.sub[3], "A-Display\\0000");
    EXPECT_EQ(vga.sub[4], "Display");
    EXPECT_EQ(vga.sub[5], "display.inf");
    EXPECT_EQ(ui.list.rows[4].sub[2], "");  // no ProviderName value
    // Same description twice: two rows, told apart by their IDs; no default, class or INF value.
    const auto& twin0 = ui.list.rows[7];
    const auto& twin1 = ui.list.rows[8];
    EXPECT_EQ(twin0.sub[3], "D-Bare\\0000");
    EXPECT_EQ(twin1.sub[3], "D-Bare\\0001");
    EXPECT_EQ(twin0.sub[1], "");
    EXPECT_EQ(twin0.sub[4], "");
    EXPECT_EQ(twin0.sub[5], "");
    EXPECT_EQ(twin1.sub[5], "oem12.inf");
    for (const auto& r : ui.list.rows) EXPECT_FALSE(r.checked);
}

TEST_F(ReadDriversTest, NumbersShowAsDecimalText) {
    classKey("Numbers", nullptr, nullptr);
    p.registry.setDword(kHkeyLocalMachine, kClass + "\\Numbers", "Class", 0xFFFFFFFFu);
    instance({"Numbers", "0000", "Acme", "Counted", nullptr});
    p.registry.setDword(kHkeyLocalMachine, kClass + "\\Numbers\\0000", "InfPath", 42);
    ReadDrivers(p.env, ui.controls);
    ASSERT_EQ(ui.list.rows.size(), 1u);
    EXPECT_EQ(ui.list.rows[0].sub[4], "-1");
    EXPECT_EQ(ui.list.rows[0].sub[5], "42");
}

// The class path drops the ID's last five characters whatever the instance name's
// length, so a short instance name reads its class values from a shorter key.
TEST_F(ReadDriversTest, ClassPathIsTheIdLessItsLastFiveCharacters) {
    classKey("Widget", "Widgets", "WidgetClass");
    instance({"Widget", "7", "Acme", "Short name", nullptr});
    instance({"Widget", "123456", "Acme", "Long name", nullptr});
    classKey("Wid", "From Wid", "WidClass");
    classKey("Widget\\1", "From Widget\\1", "W1");
    ReadDrivers(p.env, ui.controls);
    ASSERT_EQ(ui.list.rows.size(), 2u);
    EXPECT_EQ(ui.list.rows[0].text, "Long name");  // "123456" sorts before "7"
    EXPECT_EQ(ui.list.rows[0].sub[1], "From Widget\\1");
    EXPECT_EQ(ui.list.rows[0].sub[4], "W1");
    EXPECT_EQ(ui.list.rows[1].sub[1], "From Wid");
    EXPECT_EQ(ui.list.rows[1].sub[4], "WidClass");
}

// The values come through open keys: the Class key once, each class key and each instance
// key once, not five opens from the root per driver; a class key's two values once per
// class; and every key is closed again.
TEST_F(ReadDriversTest, ReadsThroughOpenKeysAndClosesThemAll) {
    seed();
    ReadDrivers(p.env, ui.controls);
    // Listing: the Class key and 4 class keys. Reading: the Class key, 4 class paths (the
    // "Properties" subkey's is one of its own), 12 IDs.
    EXPECT_EQ(p.registry.calls["OpenKeyEx"], (1 + 4) + (1 + 4 + 12));
    // Provider, description and INF of 12 IDs, the two class values of 4 class paths,
    // version and date of the 5 rows listed.
    EXPECT_EQ(p.registry.calls["QueryValueEx"], 12 * 3 + 4 * 2 + 5 * 2);
    EXPECT_EQ(p.registry.openHandles(), 0u);
}

TEST_F(ReadDriversTest, VersionDateAndTheDeviceFromOneListing) {
    classKey("E-Net", "Network adapters", "Net");
    instance({"E-Net", "0000", "Acme", "Wired", "oem20.inf"});
    instance({"E-Net", "0001", "Acme", "Wireless", "oem21.inf"});
    instance({"E-Net", "0002", "Acme", "Old stick", "oem22.inf"});
    p.registry.setString(kHkeyLocalMachine, kClass + "\\E-Net\\0000", "DriverVersion", "5.120.2.0");
    p.registry.setString(kHkeyLocalMachine, kClass + "\\E-Net\\0000", "DriverDate", "3-14-2025");
    // Two devices on one driver: the present one is shown. Driver keys ignore case.
    p.devices.devices = {{"e-net\\0000", "Wired (gone)", false, {}},
                         {"E-NET\\0000", "Wired port", true, {}},
                         {"E-Net\\0002", "Old stick", false, {}},
                         {"", "No driver at all", true, {}}};
    ReadDrivers(p.env, ui.controls);
    ASSERT_EQ(ui.list.rows.size(), 3u);
    const auto& wired = ui.list.rows[0].sub;
    EXPECT_EQ(wired[kColVersion], "5.120.2.0");
    EXPECT_EQ(wired[kColDate], "3-14-2025");
    EXPECT_EQ(wired[kColDevice], "Wired port");
    EXPECT_EQ(wired[kColPresent], "Yes");
    EXPECT_EQ(ui.list.rows[1].sub[kColDevice], kNoDevice);
    EXPECT_EQ(ui.list.rows[1].sub[kColPresent], "");
    EXPECT_EQ(ui.list.rows[2].sub[kColPresent], "No");
    EXPECT_EQ(p.devices.listings, 1);

    // No device listing at all: the rows still come, with no device.
    p.devices.failWith = kErrorAccessDenied;
    ReadDrivers(p.env, ui.controls);
    ASSERT_EQ(ui.list.rows.size(), 3u);
    EXPECT_EQ(ui.list.rows[0].sub[kColDevice], kNoDevice);
    EXPECT_TRUE(p.ui.shown.empty());
}

TEST_F(ReadDriversTest, MissingClassKeyLeavesTheListEmptyAfterOneMessage) {
    ui.list.add("old row");
    ReadDrivers(p.env, ui.controls);
    EXPECT_TRUE(ui.list.rows.empty());
    ASSERT_EQ(p.ui.shown.size(), 1u);
    EXPECT_EQ(p.ui.shown[0].text, "Cannot Open Key");
    EXPECT_EQ(ui.form.pointers, (std::vector<int>{kPointerHourglass, kPointerDefault}));
}

TEST_F(ReadDriversTest, HourglassAndMessagesOnlyAtStartAndEnd) {
    seed();
    ui.list.add("old row");
    std::vector<std::string> seen;
    p.ui.onDoEvents = [&](int) {
        seen.push_back(std::to_string(ui.form.mousePointer()) + ":" + std::to_string(ui.list.count()));
    };
    ReadDrivers(p.env, ui.controls);
    // First before the list is cleared, then with the list filled and the hourglass still up.
    EXPECT_EQ(seen, (std::vector<std::string>{"11:1", "11:5"}));
    EXPECT_EQ(ui.form.pointers, (std::vector<int>{kPointerHourglass, kPointerDefault}));
}

// A failing step is skipped; the rest of the run, and the pointer reset, still happen.
class FailingList : public fakes::FakeDriverList {
public:
    void add(const std::string& text) override {
        if (text == "Loopback") throw RuntimeError(kErrOutOfMemory, "Out of memory");
        FakeDriverList::add(text);
    }
};

TEST_F(ReadDriversTest, FailingStepsAreSkippedSilently) {
    seed();
    FailingList list;
    MainControls controls{ui.form, list, ui.check, ui.bar, ui.status};
    p.ui.onDoEvents = [](int) { throw RuntimeError(kErrInvalidCall, "Invalid procedure call or argument"); };
    std::vector<DriverRecord> shown(1);  // a record of an earlier read goes
    ReadDrivers(p.env, controls, &shown);
    ASSERT_EQ(list.rows.size(), 4u);
    EXPECT_EQ(list.rows[0].text, "Pixelwerk GX");
    EXPECT_EQ(list.rows[1].text, "Leading blank");
    EXPECT_EQ(list.rows[1].sub[3], "B-Net\\0004");  // the sub-items went to the right row
    // The records stay row for row with the list: the row that was not added has none.
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[1].id, "B-Net\\0004");
    EXPECT_EQ(shown[3].infName, "oem12.inf");
    EXPECT_TRUE(p.reports().empty());
    EXPECT_EQ(ui.form.pointers, (std::vector<int>{kPointerHourglass, kPointerDefault}));
}

TEST_F(ReadDriversTest, CheckBoxClickRereadsAndDropsTicks) {
    seed();
    ReadDrivers(p.env, ui.controls);
    ui.list.rows[0].checked = ui.list.rows[2].checked = true;
    ui.check.ticked = 1;
    chkMicrosoft_Click(p.env, ui.controls);
    ASSERT_EQ(ui.list.rows.size(), 9u);
    for (const auto& r : ui.list.rows) EXPECT_FALSE(r.checked) << r.text;
    EXPECT_TRUE(p.reports().empty());
}

TEST_F(ReadDriversTest, SelectAllAndInvert) {
    seed();
    ReadDrivers(p.env, ui.controls);
    ui.list.rows[1].checked = true;
    cmdInvert_Click(p.env, ui.controls);
    std::vector<bool> ticks;
    for (const auto& r : ui.list.rows) ticks.push_back(r.checked);
    EXPECT_EQ(ticks, (std::vector<bool>{true, false, true, true, true}));
    cmdInvert_Click(p.env, ui.controls);
    ticks.clear();
    for (const auto& r : ui.list.rows) ticks.push_back(r.checked);
    EXPECT_EQ(ticks, (std::vector<bool>{false, true, false, false, false}));
    cmdSelect_Click(p.env, ui.controls);
    for (const auto& r : ui.list.rows) EXPECT_TRUE(r.checked);
    cmdSelect_Click(p.env, ui.controls);  // ticks stay ticks
    for (const auto& r : ui.list.rows) EXPECT_TRUE(r.checked);
    EXPECT_TRUE(p.reports().empty());
}

TEST_F(ReadDriversTest, ListCommandsOnAnEmptyListDoNothing) {
    cmdSelect_Click(p.env, ui.controls);
    cmdInvert_Click(p.env, ui.controls);
    EXPECT_TRUE(p.ui.shown.empty());
    EXPECT_TRUE(ui.list.rows.empty());
}

// Answers a huge row count without holding the rows, and records every tick change.
class HugeList : public fakes::FakeDriverList {
public:
    explicit HugeList(long n) : m_n(n) {}
    long count() const override { return m_n; }
    bool checked(long) const override { return false; }
    void setChecked(long row, bool) override { changed.push_back(row); }
    std::vector<long> changed;

private:
    long m_n;
};

TEST_F(ReadDriversTest, MoreThan32767RowsOverflowAtTheLoopHead) {
    struct Case {
        void (*command)(Env&, MainControls&);
        const char* line;
    };
    for (const Case& c :
         {Case{cmdSelect_Click, "Error Line: 299."}, Case{cmdInvert_Click, "Error Line: 296."}}) {
        HugeList list(32768);
        MainControls controls{ui.form, list, ui.check, ui.bar, ui.status};
        p.ui.shown.clear();
        c.command(p.env, controls);
        EXPECT_TRUE(list.changed.empty());
        ASSERT_EQ(p.reports().size(), 1u);
        EXPECT_NE(p.reports()[0].text.find("Error Number: 6.\r\nError Description: Overflow.\r\n"),
                  std::string::npos);
        EXPECT_NE(p.reports()[0].text.find(c.line), std::string::npos);
    }
    // 32,767 rows is still in range: every row is reached and nothing is reported.
    HugeList list(32767);
    MainControls controls{ui.form, list, ui.check, ui.bar, ui.status};
    p.ui.shown.clear();
    cmdSelect_Click(p.env, controls);
    EXPECT_EQ(list.changed.size(), 32767u);
    EXPECT_EQ(list.changed.back(), 32767);
    EXPECT_TRUE(p.reports().empty());
}

}  // namespace
}  // namespace zv
