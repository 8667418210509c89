#include "inventory/driver_selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_controls.h"

namespace zv {
namespace {

struct Line {
    const char* description;
    const char* provider;
    const char* cls;
    const char* inf;
    const char* version;
    const char* date;
    const char* device;
    const char* present;
    bool startsTicked;
    bool expected;
};

TEST(DriverSelection, ThisPcsDriversArePresentOnesNewestOncePerDriverWithoutVirtualOnes) {
    const Line lines[] = {
        {"Wired", "Acme", "Net", "oem3.inf", "5.1.0.0", "3-14-2025", "Wired port", "Yes", false, true},
        {"Wireless", "Acme", "Net", "oem4.inf", "2.0", "1-9-2026", "Wireless", "No", true, false},  // absent
        {"Unused", "Acme", "Net", "oem9.inf", "1.0", "", "(no device)", "", true, false},  // no device
        // Two versions of one driver, both with a present device: the newer version wins,
        // however the dates and the row order run.
        {"QX 900", "Quillon", "Display", "oem6.inf", "30.0.9.4", "5-1-2025", "QX 900", "Yes", false, false},
        {"QX 900", "Quillon", "Display", "oem5.inf", "31.0.15.1", "1-1-2024", "QX 900", "Yes", false, true},
        // One INF of one provider on two present devices: one row.
        {"Hub", "Tessar", "USB", "oem7.inf", "1.2", "", "Hub A", "Yes", false, true},
        {"Hub", "Tessar", "USB", "OEM7.INF", "1.2", "", "Hub B", "Yes", false, false},
        {"Quillon Virtual Display", "Quillon", "Display", "oem13.inf", "1.0", "", "Virtual", "Yes", false,
         false},
        {"Remote Desktop Camera Bus", "Acme", "System", "rdcam.inf", "1.0", "", "x", "Yes", false, false},
        {"Generic Printer", "Microsoft", "Printer", "prnge001.inf", "10.0", "", "Printer", "Yes", false,
         false},
        {"Orrin LaserWrite", "Orrin", "Printer", "oem8.inf", "2.0", "", "Orrin", "Yes", false, true},
    };
    fakes::FakeDriverList list;
    for (const Line& l : lines) {
        list.rows.push_back(fakes::Row{l.description, {}, l.startsTicked});
        auto& sub = list.rows.back().sub;
        sub[kColProvider] = l.provider;
        sub[kColClass] = l.cls;
        sub[kColInfPath] = l.inf;
        sub[kColVersion] = l.version;
        sub[kColDate] = l.date;
        sub[kColDevice] = l.device;
        sub[kColPresent] = l.present;
    }
    EXPECT_EQ(SelectThisPcsDrivers(list), 4);
    for (std::size_t i = 0; i < list.rows.size(); ++i)
        EXPECT_EQ(list.rows[i].checked, lines[i].expected) << lines[i].description << " " << lines[i].inf;
}

TEST(DriverSelection, ColumnsOrderVersionsAndDatesByTheirNumbers) {
    const struct {
        int column;
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {kColVersion, "10.0.2.0", "9.1.0.0", 1}, {kColVersion, "31.0.15.1", "31.0.9.4", 1},
        {kColVersion, "1.2", "1.2.0", -1},       {kColVersion, "", "0.1", -1},
        {kColDate, "1-9-2026", "12-30-2025", 1}, {kColDate, "3-4-2025", "3-14-2025", -1},
        {kColDate, "", "1-1-1990", -1},          {kColDescription, "alpha", "Beta", -1},
        {kColId, "{A}\\0001", "{a}\\0001", 0},
    };
    for (const auto& c : cases) {
        const int got = CompareCells(c.column, c.a, c.b);
        EXPECT_EQ((got > 0) - (got < 0), c.sign) << c.a << " vs " << c.b;
    }
}

TEST(DriverSelection, CopiedRowsAreTabSeparatedLines) {
    fakes::FakeDriverList list;
    list.rows.push_back(fakes::Row{"First", {}, true});
    list.rows.push_back(fakes::Row{"Sec\tond", {}, false});
    list.rows[0].sub[kColId] = "{x}\\0000";
    list.rows[1].sub[kColPresent] = "Yes";
    EXPECT_EQ(RowsAsText(list, {2, 1}),
              "Sec ond\t\t\t\t\t\t\t\t\tYes\r\nFirst\t\t\t{x}\\0000\t\t\t\t\t\t\r\n");
}

}  // namespace
}  // namespace zv
