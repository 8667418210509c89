#pragma once
// The hives the build writes from hives.json with tools/hive_writer.py, by name.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "fakes/fake_platform.h"
#include "hive/hive_file.h"

namespace zv::hive::testing {

inline std::string HiveBytes(const std::string& name) {
    std::ifstream in(std::string(ZV_TEST_HIVES) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << "the build writes " << name << " into " << ZV_TEST_HIVES;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The UTF-16LE bytes a hive stores a string as, with its NUL.
inline std::string Utf16Z(const std::u16string& text) {
    std::string out;
    for (char16_t c : text + u'\0') {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

// The key at the path of names below the root; kNoCell when one step is missing.
inline Cell KeyAt(const HiveFile& hive, std::initializer_list<std::u16string_view> path) {
    Cell key = hive.root();
    for (auto name : path)
        if (key != kNoCell) key = hive.FindSubkey(key, name);
    return key;
}

// The folder of the other Windows' hives that AddTwoWindows makes.
inline const std::string kOtherConfig = "D:\\Windows\\System32\\config";

// This PC with a driver of its own, and another Windows on D: whose hive folder is there
// for a test to fill; E: and D:\Data are drives and folders that are no Windows.
inline void AddTwoWindows(fakes::FakePlatform& p) {
    const std::string live =
        "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\0000";
    p.registry.setString(kHkeyLocalMachine, live, "DriverDesc", "Live driver");
    p.registry.setString(kHkeyLocalMachine, live, "ProviderName", "Acme");
    p.files.addDrive('D');
    p.files.addDrive('E');
    p.files.addFolder("D:\\Windows");
    p.files.addFolder("D:\\Windows\\System32");
    p.files.addFolder(kOtherConfig);
    p.files.addFolder("D:\\Data");
}

}  // namespace zv::hive::testing
