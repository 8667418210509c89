// One suite for the registry seam: run against the fake on the host and against
// advapi32 under Wine, so the fake cannot drift from what the platform does.
// Enumeration order is only relied on where every registry agrees: Wine sorts
// subkeys and values, Windows keeps values in creation order, so names here are
// created in sorted order.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "contract/registry_fixture.h"

namespace zv::contract {
namespace {

using Bytes = std::vector<std::uint8_t>;

class RegistryContract : public ::testing::Test {
protected:
    void SetUp() override {
        fx = MakeRegistryContractFixture();
        ASSERT_EQ(reg().OpenKeyEx(fx->root(), fx->path(), 0, kKeyAllAccess, &key), kErrorSuccess);
    }
    void TearDown() override {
        if (key != kNoKey) reg().CloseKey(key);
    }
    IRegistry& reg() { return fx->registry(); }

    void Set(const std::string& name, Dword type, const void* data, Dword count) {
        ASSERT_EQ(reg().SetValueEx(key, name, type, static_cast<const std::uint8_t*>(data), count),
                  kErrorSuccess);
    }
    void SetString(const std::string& name, const std::string& text) {
        Set(name, kRegSz, text.c_str(), static_cast<Dword>(text.size() + 1));
    }
    void SetDword(const std::string& name, Dword value) { Set(name, kRegDword, &value, sizeof value); }

    // Size query with no buffer: status, type and size.
    struct Probe {
        Long status;
        Dword type;
        Dword size;
    };
    Probe Query(const std::string& name) {
        Probe p{-1, 0xEEEE, 0xEEEE};
        p.status = reg().QueryValueEx(key, name, &p.type, nullptr, &p.size);
        return p;
    }
    // Reads into a buffer of the given size pre-filled with 'X' (with 'X' bytes behind it).
    struct Read {
        Long status;
        Dword size;
        std::string bytes;  // the whole buffer, including what lies past the given size
    };
    Read ReadInto(const std::string& name, Dword bufferSize) {
        std::string buffer(bufferSize + 8, 'X');
        Read r{-1, bufferSize, {}};
        Dword type = 0;
        r.status =
            reg().QueryValueEx(key, name, &type, reinterpret_cast<std::uint8_t*>(buffer.data()), &r.size);
        r.bytes = buffer;
        return r;
    }

    std::unique_ptr<RegistryContractFixture> fx;
    Hkey key{};
};

TEST_F(RegistryContract, EmptyNameReadsTheDefaultValue) {
    SetString("", "the default");
    SetString("named", "other");
    const Probe p = Query("");
    EXPECT_EQ(p.status, kErrorSuccess);
    EXPECT_EQ(p.type, kRegSz);
    EXPECT_EQ(p.size, 12u);
    const Read r = ReadInto("", 64);
    EXPECT_EQ(r.status, kErrorSuccess);
    EXPECT_EQ(std::string(r.bytes.c_str()), "the default");
}

TEST_F(RegistryContract, MissingKeyAndMissingValueGiveFileNotFound) {
    // A failed open clears the handle, so a later query through it fails as well.
    Hkey h = Hkey{0x1234};
    EXPECT_EQ(reg().OpenKeyEx(fx->root(), fx->path() + "\\absent", 0, kKeyQueryValue, &h),
              kErrorFileNotFound);
    EXPECT_EQ(h, kNoKey);
    h = Hkey{0x1234};
    EXPECT_EQ(reg().OpenKey(key, "absent", &h), kErrorFileNotFound);
    EXPECT_EQ(h, kNoKey);

    // Wine clears the type, and the size of a size-only query, but not a buffer's size.
    const Probe p = Query("absent");
    EXPECT_EQ(p.status, kErrorFileNotFound);
    EXPECT_EQ(p.type, kRegNone);
    EXPECT_EQ(p.size, 0u);
    const Read r = ReadInto("absent", 16);
    EXPECT_EQ(r.status, kErrorFileNotFound);
    EXPECT_EQ(r.size, 16u);
    EXPECT_EQ(r.bytes, std::string(24, 'X'));
}

TEST_F(RegistryContract, DwordWithAllBitsSetReadsAsMinusOne) {
    SetDword("all", 0xFFFFFFFFu);
    const Probe p = Query("all");
    EXPECT_EQ(p.status, kErrorSuccess);
    EXPECT_EQ(p.type, kRegDword);
    EXPECT_EQ(p.size, 4u);

    std::int32_t value = 0;
    Dword size = sizeof value;
    Dword type = 0;
    ASSERT_EQ(reg().QueryValueEx(key, "all", &type, reinterpret_cast<std::uint8_t*>(&value), &size),
              kErrorSuccess);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(size, 4u);

    const Read shortRead = ReadInto("all", 2);
    EXPECT_EQ(shortRead.status, kErrorMoreData);
    EXPECT_EQ(shortRead.size, 4u);
}

// How REG_SZ data stored with and without its NUL comes back.
struct StringCase {
    const char* label;
    const char* memory;  // what lies in memory at the data pointer
    Dword count;         // the count passed to SetValueEx
    Dword size;          // what a size query then reports
    const char* read64;  // what a 64-byte buffer then holds, up to its first NUL
    bool exactHasNul;    // whether a read into exactly `size` bytes ends with a NUL
};

const StringCase kStringCases[] = {
    {"stored with its NUL", "hello", 6, 6, "hello", true},
    // The platform adds the NUL that the count left out when the next byte is a NUL.
    {"count without NUL, NUL follows", "hello", 5, 6, "hello", true},
    {"truly unterminated", "helloXYZ", 5, 5, "hello", false},
};

TEST_F(RegistryContract, StringsStoredWithAndWithoutTheirNul) {
    for (const StringCase& c : kStringCases) {
        SCOPED_TRACE(c.label);
        Set("s", kRegSz, c.memory, c.count);
        const Probe p = Query("s");
        EXPECT_EQ(p.status, kErrorSuccess);
        EXPECT_EQ(p.type, kRegSz);
        EXPECT_EQ(p.size, c.size);

        const Read big = ReadInto("s", 64);
        EXPECT_EQ(big.status, kErrorSuccess);
        EXPECT_EQ(big.size, c.size);
        EXPECT_EQ(std::string(big.bytes.c_str()), c.read64);

        const Read exact = ReadInto("s", c.size);
        EXPECT_EQ(exact.status, kErrorSuccess);
        EXPECT_EQ(exact.size, c.size);
        EXPECT_EQ(exact.bytes.substr(0, 5), "hello");
        EXPECT_EQ(exact.bytes[c.size - 1] == '\0', c.exactHasNul);
        EXPECT_EQ(exact.bytes[c.size], 'X');  // nothing written past the buffer

        // One byte short: more data, the size needed, the buffer untouched.
        const Read shortRead = ReadInto("s", c.size - 1);
        EXPECT_EQ(shortRead.status, kErrorMoreData);
        EXPECT_EQ(shortRead.size, c.size);
        EXPECT_EQ(shortRead.bytes, std::string(c.size - 1 + 8, 'X'));
    }
}

TEST_F(RegistryContract, StringOfSizeZeroReadsAsNothing) {
    Set("zero", kRegSz, "", 0);
    const Probe p = Query("zero");
    EXPECT_EQ(p.status, kErrorSuccess);
    EXPECT_EQ(p.type, kRegSz);
    EXPECT_EQ(p.size, 0u);
    const Read r = ReadInto("zero", 64);
    EXPECT_EQ(r.status, kErrorSuccess);
    EXPECT_EQ(r.size, 0u);
    EXPECT_EQ(r.bytes[0], 'X');
}

TEST_F(RegistryContract, OtherTypesReportTheirTypeAndSize) {
    const struct {
        const char* name;
        Dword type;
        Bytes data;
    } cases[] = {
        {"expand", kRegExpandSz, Bytes{'%', 'T', 'E', 'M', 'P', '%', 0}},
        {"multi", kRegMultiSz, Bytes{'a', 0, 'b', 'c', 0, 0}},
        {"binary", kRegBinary, Bytes{0x00, 0xAB, 0x7F}},
    };
    for (const auto& c : cases) Set(c.name, c.type, c.data.data(), static_cast<Dword>(c.data.size()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Probe p = Query(c.name);
        EXPECT_EQ(p.status, kErrorSuccess);
        EXPECT_EQ(p.type, c.type);
        EXPECT_EQ(p.size, c.data.size());
        Bytes back(c.data.size());
        Dword size = static_cast<Dword>(back.size());
        EXPECT_EQ(reg().QueryValueEx(key, c.name, nullptr, back.data(), &size), kErrorSuccess);
        EXPECT_EQ(back, c.data);
    }
}

TEST_F(RegistryContract, EnumKeyWithA64ByteBuffer) {
    const std::string name63(63, 'a');
    const std::string name64(64, 'b');
    for (const std::string& n : {name63, name64, std::string("ccc")}) {
        Hkey h{};
        ASSERT_EQ(reg().CreateKey(key, n, &h), kErrorSuccess);
        reg().CloseKey(h);
    }
    std::array<char, 64> buffer{};

    buffer.fill('X');
    ASSERT_EQ(reg().EnumKey(key, 0, buffer.data(), 64), kErrorSuccess);
    EXPECT_EQ(std::string(buffer.data(), 63), name63);
    EXPECT_EQ(buffer[63], '\0');

    buffer.fill('X');
    EXPECT_EQ(reg().EnumKey(key, 1, buffer.data(), 64), kErrorMoreData);
    EXPECT_EQ(std::string(buffer.data(), 64), std::string(64, 'X'));

    // The long name does not end the enumeration: the next index still works.
    buffer.fill('X');
    ASSERT_EQ(reg().EnumKey(key, 2, buffer.data(), 64), kErrorSuccess);
    EXPECT_EQ(std::string(buffer.data()), "ccc");

    EXPECT_EQ(reg().EnumKey(key, 3, buffer.data(), 64), kErrorNoMoreItems);
}

TEST_F(RegistryContract, EnumKeyOfAKeyWithoutSubkeys) {
    std::array<char, 64> buffer{};
    EXPECT_EQ(reg().EnumKey(key, 0, buffer.data(), 64), kErrorNoMoreItems);
}

TEST_F(RegistryContract, EnumValueGivesNameTypeAndData) {
    SetString("alpha", "one");
    SetDword("beta", 7);

    std::array<char, 260> name{};
    std::array<std::uint8_t, 64> data{};
    Dword cchName = 260;
    Dword type = 0;
    Dword cbData = 64;
    ASSERT_EQ(reg().EnumValue(key, 0, name.data(), &cchName, &type, data.data(), &cbData), kErrorSuccess);
    EXPECT_EQ(std::string(name.data()), "alpha");
    EXPECT_EQ(cchName, 5u);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(cbData, 4u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.data())), "one");

    cchName = 260;
    cbData = 64;
    ASSERT_EQ(reg().EnumValue(key, 1, name.data(), &cchName, &type, data.data(), &cbData), kErrorSuccess);
    EXPECT_EQ(std::string(name.data()), "beta");
    EXPECT_EQ(type, kRegDword);
    EXPECT_EQ(cbData, 4u);
    EXPECT_EQ(data[0], 7);

    cchName = 260;
    cbData = 64;
    EXPECT_EQ(reg().EnumValue(key, 2, name.data(), &cchName, &type, data.data(), &cbData), kErrorNoMoreItems);
}

TEST_F(RegistryContract, EnumValueTerminatesStringsOnlyWhenThereIsRoom) {
    Set("a", kRegSz, "helloXYZ", 5);
    Set("b", kRegSz, "", 0);
    std::array<char, 260> name{};
    Dword type = 0;
    const struct {
        Dword index;
        Dword bufferSize;
        Dword size;
        int byteAfter;  // the byte just past the data: NUL written, or the buffer's own 'X'
    } cases[] = {{0, 64, 5, 0}, {0, 5, 5, 'X'}, {1, 64, 0, 'X'}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index * 100 + c.bufferSize);
        std::array<std::uint8_t, 72> data{};
        data.fill('X');
        Dword cchName = 260;
        Dword cbData = c.bufferSize;
        ASSERT_EQ(reg().EnumValue(key, c.index, name.data(), &cchName, &type, data.data(), &cbData),
                  kErrorSuccess);
        EXPECT_EQ(cbData, c.size);
        EXPECT_EQ(data[c.size], c.byteAfter);
    }
}

TEST_F(RegistryContract, EnumValueWithShortBuffers) {
    SetString("alpha", "a longer text");
    SetDword("beta", 7);
    std::array<char, 260> name{};
    std::array<std::uint8_t, 64> data{};
    Dword type = 0;

    // No data buffer: the size of the data.
    Dword cchName = 260;
    Dword cbData = 0xEEEE;
    ASSERT_EQ(reg().EnumValue(key, 0, name.data(), &cchName, &type, nullptr, &cbData), kErrorSuccess);
    EXPECT_EQ(cbData, 14u);
    EXPECT_EQ(type, kRegSz);

    // A data buffer too small: more data and the size needed, so a caller can retry.
    cchName = 260;
    cbData = 4;
    EXPECT_EQ(reg().EnumValue(key, 0, name.data(), &cchName, &type, data.data(), &cbData), kErrorMoreData);
    EXPECT_EQ(cbData, 14u);
    cchName = 260;
    cbData = 14;
    ASSERT_EQ(reg().EnumValue(key, 0, name.data(), &cchName, &type, data.data(), &cbData), kErrorSuccess);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.data())), "a longer text");

    // A name buffer too small: more data and the name cut to fit; the next index still works.
    cchName = 3;
    cbData = 64;
    EXPECT_EQ(reg().EnumValue(key, 0, name.data(), &cchName, &type, data.data(), &cbData), kErrorMoreData);
    EXPECT_EQ(std::string(name.data()), "al");
    EXPECT_EQ(cbData, 14u);
    cchName = 260;
    cbData = 64;
    ASSERT_EQ(reg().EnumValue(key, 1, name.data(), &cchName, &type, data.data(), &cbData), kErrorSuccess);
    EXPECT_EQ(std::string(name.data()), "beta");
}

TEST_F(RegistryContract, OpenWithFullAndWithQueryAccess) {
    SetString("v", "text");
    for (Dword access : {kKeyAllAccess, kKeyQueryValue, kKeyRead}) {
        SCOPED_TRACE(access);
        Hkey h{};
        ASSERT_EQ(reg().OpenKeyEx(fx->root(), fx->path(), 0, access, &h), kErrorSuccess);
        EXPECT_NE(h, kNoKey);
        Dword size = 0;
        EXPECT_EQ(reg().QueryValueEx(h, "v", nullptr, nullptr, &size), kErrorSuccess);
        EXPECT_EQ(size, 5u);
        EXPECT_EQ(reg().CloseKey(h), kErrorSuccess);
    }
}

TEST_F(RegistryContract, HandleOpenedForQueryOnlyCannotWrite) {
    Hkey h{};
    ASSERT_EQ(reg().OpenKeyEx(fx->root(), fx->path(), 0, kKeyQueryValue, &h), kErrorSuccess);
    const std::uint8_t one[] = {'1', 0};
    EXPECT_EQ(reg().SetValueEx(h, "w", kRegSz, one, 2), kErrorAccessDenied);
    EXPECT_EQ(reg().DeleteValue(h, "w"), kErrorAccessDenied);
    reg().CloseKey(h);
    EXPECT_EQ(Query("w").status, kErrorFileNotFound);
}

TEST_F(RegistryContract, CreateKeyMakesMissingParentsAndOpensExistingKeys) {
    Hkey h{};
    ASSERT_EQ(reg().CreateKey(key, "p\\q\\r", &h), kErrorSuccess);
    EXPECT_NE(h, kNoKey);
    const std::uint8_t v[] = {'x', 0};
    EXPECT_EQ(reg().SetValueEx(h, "v", kRegSz, v, 2), kErrorSuccess);
    reg().CloseKey(h);

    Hkey parent{};
    ASSERT_EQ(reg().OpenKeyEx(key, "p\\q", 0, kKeyRead, &parent), kErrorSuccess);
    reg().CloseKey(parent);

    Hkey again{};
    ASSERT_EQ(reg().CreateKey(fx->root(), fx->path() + "\\P\\Q\\R", &again), kErrorSuccess);
    Dword size = 0;
    EXPECT_EQ(reg().QueryValueEx(again, "V", nullptr, nullptr, &size), kErrorSuccess);  // names ignore case
    EXPECT_EQ(size, 2u);
    reg().CloseKey(again);
}

TEST_F(RegistryContract, OpenKeyFindsKeysAndAnEmptyNameGivesTheSameHandle) {
    Hkey sub{};
    ASSERT_EQ(reg().CreateKey(key, "sub", &sub), kErrorSuccess);
    reg().CloseKey(sub);

    Hkey h{};
    ASSERT_EQ(reg().OpenKey(key, "SUB", &h), kErrorSuccess);
    EXPECT_NE(h, kNoKey);
    reg().CloseKey(h);
    EXPECT_EQ(reg().OpenKey(key, "nope", &h), kErrorFileNotFound);

    Hkey same{};
    ASSERT_EQ(reg().OpenKey(key, "", &same), kErrorSuccess);
    EXPECT_EQ(same, key);
    // RegOpenKeyExA gives a key of its own a new handle, but a predefined root itself.
    Hkey fresh{};
    ASSERT_EQ(reg().OpenKeyEx(key, "", 0, kKeyRead, &fresh), kErrorSuccess);
    EXPECT_NE(fresh, key);
    EXPECT_EQ(reg().CloseKey(fresh), kErrorSuccess);
    Hkey root{};
    ASSERT_EQ(reg().OpenKeyEx(fx->root(), "", 0, kKeyRead, &root), kErrorSuccess);
    EXPECT_EQ(root, fx->root());
    EXPECT_EQ(reg().CloseKey(root), kErrorSuccess);
}

TEST_F(RegistryContract, DeleteValue) {
    SetString("gone", "soon");
    EXPECT_EQ(reg().DeleteValue(key, "absent"), kErrorFileNotFound);
    EXPECT_EQ(reg().DeleteValue(key, "GONE"), kErrorSuccess);
    EXPECT_EQ(Query("gone").status, kErrorFileNotFound);
    EXPECT_EQ(reg().DeleteValue(key, "gone"), kErrorFileNotFound);
}

TEST_F(RegistryContract, ClosedHandleIsNoLongerValid) {
    Hkey h{};
    ASSERT_EQ(reg().OpenKeyEx(fx->root(), fx->path(), 0, kKeyRead, &h), kErrorSuccess);
    EXPECT_EQ(reg().CloseKey(h), kErrorSuccess);
    Dword size = 0;
    EXPECT_EQ(reg().QueryValueEx(h, "", nullptr, nullptr, &size), kErrorInvalidHandle);
    EXPECT_EQ(reg().CloseKey(h), kErrorInvalidHandle);
    // A query through no handle at all, as after an open that failed.
    EXPECT_EQ(reg().QueryValueEx(kNoKey, "", nullptr, nullptr, &size), kErrorInvalidHandle);
}

}  // namespace
}  // namespace zv::contract
