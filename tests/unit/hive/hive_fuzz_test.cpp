// Hostile hives: lists that lead back into the tree, records that claim more than the file
// holds, and many thousands of cut or scrambled copies of a good hive. Each must end with a
// status or a finite tree, with nothing read outside the file (the sanitizers watch).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "fakes/fake_locale.h"
#include "hive/hive_file.h"
#include "hive/hive_registry.h"
#include "hive_test_support.h"

namespace zv::hive {
namespace {

using testing::HiveBytes;
using testing::KeyAt;

struct Walked {
    std::size_t keys = 0;
    std::size_t values = 0;
    std::size_t dataBytes = 0;
};

// Every key reachable from the root, each value's name and data. Fails the test instead of
// running away: no hive of these has more keys than it has 80-byte cells.
Walked WalkAll(const HiveFile& hive, std::size_t fileSize) {
    Walked w;
    std::vector<Cell> pending{hive.root()};
    std::vector<Cell> subkeys, values;
    std::u16string name;
    std::string data;
    while (!pending.empty()) {
        const Cell key = pending.back();
        pending.pop_back();
        if (++w.keys > fileSize / 80 + 1) {
            ADD_FAILURE() << "more keys than the file could hold";
            return w;
        }
        (void)hive.KeyName(key, &name);
        (void)hive.Subkeys(key, &subkeys);
        pending.insert(pending.end(), subkeys.begin(), subkeys.end());
        (void)hive.Values(key, &values);
        for (Cell v : values) {
            std::uint32_t type = 0;
            (void)hive.ValueName(v, &name);
            if (hive.ValueData(v, &type, &data)) w.dataBytes += data.size();
            EXPECT_LE(data.size(), fileSize);
            ++w.values;
        }
    }
    return w;
}

TEST(HiveFuzz, ListsThatLeadBackIntoTheTreeEnd) {
    HiveFile cycle;
    ASSERT_EQ(cycle.Load(HiveBytes("CYCLE")), LoadStatus::kOk);
    // A lists the root and itself, B lists itself and A: only B below A, only C below B.
    EXPECT_EQ(WalkAll(cycle, 8192).keys, 4u);
    std::vector<Cell> subkeys;
    EXPECT_FALSE(cycle.Subkeys(KeyAt(cycle, {u"A"}), &subkeys));
    EXPECT_EQ(subkeys, std::vector<Cell>{KeyAt(cycle, {u"A", u"B"})});
    EXPECT_FALSE(cycle.Subkeys(KeyAt(cycle, {u"A", u"B"}), &subkeys));
    EXPECT_EQ(subkeys, std::vector<Cell>{KeyAt(cycle, {u"A", u"B", u"C"})});

    HiveFile nested;
    ASSERT_EQ(nested.Load(HiveBytes("RI_IN_RI")), LoadStatus::kOk);
    EXPECT_FALSE(nested.Subkeys(KeyAt(nested, {u"A"}), &subkeys));
    EXPECT_EQ(subkeys.size(), 3u);  // its own leaves, not itself again
    EXPECT_EQ(WalkAll(nested, 8192).keys, 5u);

    HiveFile counts;
    ASSERT_EQ(counts.Load(HiveBytes("COUNTS")), LoadStatus::kOk);
    EXPECT_FALSE(counts.Subkeys(KeyAt(counts, {u"A"}), &subkeys));  // claims four billion
    EXPECT_EQ(subkeys.size(), 1u);
}

TEST(HiveFuzz, RecordsThatClaimMoreThanTheFileHoldsReadAsDamaged) {
    HiveFile huge;
    ASSERT_EQ(huge.Load(HiveBytes("HUGE_VALUE")), LoadStatus::kOk);
    std::vector<Cell> values;
    ASSERT_TRUE(huge.Values(KeyAt(huge, {u"A"}), &values));
    ASSERT_EQ(values.size(), 3u);
    for (Cell v : values) {
        std::uint32_t type = 0;
        std::string data = "left over";
        EXPECT_FALSE(huge.ValueData(v, &type, &data));
        EXPECT_TRUE(data.empty());
    }
    // A key node whose cell would reach into the next bin, or far past the file.
    for (const char* name : {"OVERSIZED", "UNBOUNDED"}) {
        HiveFile oversized;
        ASSERT_EQ(oversized.Load(HiveBytes(name)), LoadStatus::kOk);
        EXPECT_EQ(KeyAt(oversized, {u"A"}), kNoCell) << name;
        EXPECT_NE(KeyAt(oversized, {u"Z"}), kNoCell) << name;
    }
}

TEST(HiveFuzz, EveryCutAndScrambledCopyEndsCleanly) {
    const std::string good = HiveBytes("SYSTEM");
    ASSERT_GT(good.size(), 8192u);
    std::size_t loaded = 0;
    // Cut at every 8-byte step, the base block told the bins end where the cut is (to a
    // whole bin), so that what remains loads and its cells point past the end.
    for (std::size_t cut = 4096; cut <= good.size(); cut += 8) {
        std::string bytes = good.substr(0, cut);
        const std::uint32_t bins = static_cast<std::uint32_t>((cut - 4096) / 4096 * 4096);
        std::memcpy(bytes.data() + 40, &bins, 4);
        HiveFile hive;
        if (hive.Load(bytes) != LoadStatus::kOk) continue;
        ++loaded;
        WalkAll(hive, bytes.size());
    }
    EXPECT_GT(loaded, 0u);

    // Bytes and offsets changed at random (a fixed seed: a failure repeats), each copy read whole.
    std::mt19937 random(20261209);
    const std::uint32_t interesting[] = {0,           0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 0x80000004u,
                                         0xFFFFFFF8u, 32,          4096,        0x1000 - 8,  0x20};
    std::size_t walked = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = good;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < changes; ++i) {
            const std::size_t at = (4096 + random() % (bytes.size() - 4096)) & ~std::size_t{3};
            std::uint32_t v = random() % 2 ? interesting[random() % std::size(interesting)]
                                           : static_cast<std::uint32_t>(random() % bytes.size());
            if (random() % 4 == 0)
                v = static_cast<std::uint32_t>(-(static_cast<std::int32_t>(random() % 0x10000)));
            std::memcpy(bytes.data() + at, &v, 4);
        }
        HiveFile hive;
        if (hive.Load(bytes) != LoadStatus::kOk) continue;
        ++walked;
        WalkAll(hive, bytes.size());
    }
    EXPECT_GT(walked, 2000u);  // most copies load: the damage is found where it is read
}

// Every key below key through the seam, as a caller that recurses would walk it; false when
// the walk went deeper than any hive of these is.
bool WalkSeam(IRegistry& registry, Hkey key, int depth, std::size_t* keys) {
    if (depth > 16) return false;
    ++*keys;
    char name[300];
    std::uint8_t data[512];
    for (Dword i = 0; i < 100000; ++i) {
        Dword cch = sizeof name, cb = sizeof data, type = 0;
        const Long s = registry.EnumValue(key, i, name, &cch, &type, data, &cb);
        if (s == kErrorNoMoreItems) break;
        if (s == kErrorSuccess) (void)registry.QueryValueEx(key, name, &type, data, &cb);
    }
    for (Dword i = 0; registry.EnumKey(key, i, name, sizeof name) == kErrorSuccess; ++i) {
        Hkey sub = kNoKey;
        if (registry.OpenKeyEx(key, name, 0, kKeyRead, &sub) != kErrorSuccess) continue;
        const bool ok = WalkSeam(registry, sub, depth + 1, keys);
        (void)registry.CloseKey(sub);
        if (!ok) return false;
    }
    return true;
}

TEST(HiveFuzz, TheSeamOverHostileOrScrambledHivesEndsAndLeavesNoKeyOpen) {
    fakes::FakeLocale locale;
    std::vector<std::string> hives;
    for (const char* name : {"CYCLE", "RI_IN_RI", "HUGE_VALUE", "COUNTS", "OVERSIZED", "UNBOUNDED"})
        hives.push_back(HiveBytes(name));
    const std::string good = HiveBytes("SYSTEM");
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = good;
        for (int i = 0; i < 4; ++i) {
            const std::size_t at = (4096 + random() % (bytes.size() - 4096)) & ~std::size_t{3};
            const auto v = static_cast<std::uint32_t>(random() % bytes.size()) & ~3u;
            std::memcpy(bytes.data() + at, &v, 4);
        }
        hives.push_back(std::move(bytes));
    }
    for (std::size_t i = 0; i < hives.size(); ++i) {
        HiveFile hive;
        if (hive.Load(hives[i]) != LoadStatus::kOk) continue;
        HiveRegistry registry(locale);
        registry.Mount("SYSTEM", hive);
        std::size_t keys = 0;
        EXPECT_TRUE(WalkSeam(registry, kHkeyLocalMachine, 0, &keys)) << "hive " << i;
        EXPECT_EQ(registry.openHandles(), 0u);
    }
}

}  // namespace
}  // namespace zv::hive
