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
    const char* device;  // null: no device uses the driver
    bool present;
    bool expected;
};

TEST(DriverSelection, ThisPcsDriversArePresentOnesNewestOncePerDriverWithoutVirtualOnes) {
    const Line lines[] = {
        {"Wired", "Acme", "Net", "oem3.inf", "5.1.0.0", "3-14-2025", "Wired port", true, true},
        {"Wireless", "Acme", "Net", "oem4.inf", "2.0", "1-9-2026", "Wireless", false, false},  // absent
        {"Unused", "Acme", "Net", "oem9.inf", "1.0", "", nullptr, true, false},                // no device
        // Two versions of one driver, both with a present device: the newer version wins,
        // however the dates and the order run.
        {"QX 900", "Quillon", "Display", "oem6.inf", "30.0.9.4", "5-1-2025", "QX 900", true, false},
        {"QX 900", "Quillon", "Display", "oem5.inf", "31.0.15.1", "1-1-2024", "QX 900", true, true},
        // One INF of one provider on two present devices: one row.
        {"Hub", "Tessar", "USB", "oem7.inf", "1.2", "", "Hub A", true, true},
        {"Hub B", "Tessar", "USB", "OEM7.INF", "1.2", "", "Hub B", true, false},
        {"Quillon Virtual Display", "Quillon", "Display", "oem13.inf", "1.0", "", "Virtual", true, false},
        {"Remote Desktop Camera Bus", "Acme", "System", "rdcam.inf", "1.0", "", "x", true, false},
        {"Generic Printer", "Microsoft", "Printer", "prnge001.inf", "10.0", "", "Printer", true, false},
        {"Orrin LaserWrite", "Orrin", "Printer", "oem8.inf", "2.0", "", "Orrin", true, true},
    };
    std::vector<DriverRecord> records;
    for (const Line& l : lines) {
        DriverRecord r;
        r.description = l.description;
        r.provider = l.provider;
        r.className = l.cls;
        r.infName = l.inf;
        r.version = l.version;
        r.date = l.date;
        r.hasDevice = l.device != nullptr;
        r.device = l.device ? l.device : "";
        r.present = l.present;
        records.push_back(r);
    }
    const std::vector<bool> picked = ThisPcsDrivers(records);
    ASSERT_EQ(picked.size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(picked[i], lines[i].expected) << lines[i].description << " " << lines[i].inf;
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

}  // namespace
}  // namespace zv
