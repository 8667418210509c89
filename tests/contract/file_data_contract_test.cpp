// Reading and hashing files, setupapi's store look-up and the text conversion the
// backup relies on: the fakes on the host and the real calls under Wine must agree.
#include <gtest/gtest.h>

#include "contract/file_data_fixture.h"
#include "support/sha256.h"

namespace zv::contract {
namespace {

class FileDataContract : public ::testing::Test {
protected:
    std::unique_ptr<FileDataContractFixture> fx = MakeFileDataContractFixture();
    std::string at(const std::string& name) const { return fx->folder() + "\\" + name; }
};

std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    return s;
}

TEST_F(FileDataContract, Sha256OfKnownContents) {
    const struct {
        const char* name;
        std::string bytes;
        const char* hex;
    } cases[] = {
        {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"one block of padding", std::string(64, 'a'),
         "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        // Longer than one read of the real hash, with NULs and high bytes.
        {"pattern", Pattern(200000), "ec0ebf98b6f2954bf0f7b839402b1ba245996c39d18e155414e91a2b4353c157"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fx->writeFile(at(c.name), c.bytes);
        std::string hex;
        ASSERT_TRUE(fx->data().Sha256File(at(c.name), &hex));
        EXPECT_EQ(hex, c.hex);
    }
    std::string hex = "unchanged";
    EXPECT_FALSE(fx->data().Sha256File(at("missing"), &hex));
    EXPECT_EQ(fx->data().GetLastError(), kErrorFileNotFound);
    EXPECT_EQ(hex, "unchanged");
}

TEST_F(FileDataContract, ReadWholeFileGivesTheBytesWithinTheLimit) {
    const std::string bytes = std::string("MZ\0\xff\r\n", 6) + Pattern(70000);
    fx->writeFile(at("f.inf"), bytes);
    std::string read;
    ASSERT_TRUE(fx->data().ReadWholeFile(at("F.INF"), bytes.size(), &read));
    EXPECT_EQ(read, bytes);
    std::string kept = "kept";
    EXPECT_FALSE(fx->data().ReadWholeFile(at("f.inf"), bytes.size() - 1, &kept));
    EXPECT_EQ(kept, "kept");
    EXPECT_FALSE(fx->data().ReadWholeFile(at("missing.inf"), 100, &kept));
    EXPECT_EQ(fx->data().GetLastError(), kErrorFileNotFound);
    EXPECT_FALSE(fx->data().ReadWholeFile(at("no\\such.inf"), 100, &kept));
    EXPECT_EQ(fx->data().GetLastError(), kErrorPathNotFound);
}

// The hashed copy ends as CopyFileA(from, to, FALSE) ends (result, error, the target's bytes,
// attributes and time), and its size, hash and head are those of the bytes written.
TEST_F(FileDataContract, CopyFileHashedEndsAsCopyFileDoes) {
    const std::string big = Pattern((5u << 20) + 17);   // many chunks, the last one short
    constexpr std::size_t kHeadBytes = (1u << 20) + 3;  // more than a chunk, not a whole one
    const struct {
        const char* name;
        const char* source;  // nullptr: none
        Dword sourceAttributes;
        const char* target;  // its bytes before the copy; nullptr: none
        Dword targetAttributes;
        const char* targetPath;  // below the case's folder; "=": the source itself
        int ok;                  // -1: as CopyFile does here (Wine run as root writes read-only files)
    } cases[] = {
        {"large", "big", 0, nullptr, 0, "t", 1},
        {"empty", "", 0, nullptr, 0, "t", 1},
        {"replaces a longer target", "short", 0, "a much longer old target", 0, "t", 1},
        {"read-only source", "ro", kFileAttributeReadonly, nullptr, 0, "t", 1},
        {"hidden system source", "hs", kFileAttributeHidden | kFileAttributeSystem, nullptr, 0, "t", 1},
        {"read-only target", "new", 0, "old", kFileAttributeReadonly, "t", -1},
        {"missing source", nullptr, 0, nullptr, 0, "t", 0},
        {"target folder missing", "x", 0, nullptr, 0, "no\\t", 0},
        {"onto itself", "self", 0, nullptr, 0, "=", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        struct Outcome {
            bool ok;
            Dword error;
            std::string bytes;
            Dword attributes;
            std::string time;
        };
        auto run = [&](const std::string& sub, bool hashed) {
            const std::string dir = at(sub);
            EXPECT_TRUE(fx->files().CreateDirectory(dir));
            const std::string from = dir + "\\source.bin";
            const std::string to = std::string(c.targetPath) == "=" ? from : dir + "\\" + c.targetPath;
            const std::string bytes = c.source && std::string(c.source) == "big" ? big
                                      : c.source                                 ? c.source
                                                                                 : "";
            if (c.source) fx->writeFile(from, bytes);
            if (c.sourceAttributes) fx->setAttributes(from, c.sourceAttributes);
            if (c.target) fx->writeFile(to, c.target);
            if (c.targetAttributes) fx->setAttributes(to, c.targetAttributes);
            Outcome o{};
            if (hashed) {
                std::uint64_t size = 99;
                std::string hex = "unchanged", head = "unchanged";
                o.ok = fx->data().CopyFileHashed(from, to, &size, &hex, &head, kHeadBytes);
                if (o.ok) {
                    EXPECT_EQ(size, bytes.size());
                    EXPECT_EQ(hex, Sha256Hex(bytes));
                    EXPECT_TRUE(head == bytes.substr(0, kHeadBytes)) << head.size() << " bytes";
                } else {
                    EXPECT_EQ(size, 99u);
                    EXPECT_EQ(hex, "unchanged");
                    EXPECT_EQ(head, "unchanged");
                }
                o.error = o.ok ? 0 : fx->data().GetLastError();
            } else {
                o.ok = fx->files().CopyFile(from, to, false);
                o.error = o.ok ? 0 : fx->files().GetLastError();
            }
            o.attributes = fx->files().GetFileAttributes(to);
            if (!fx->data().ReadWholeFile(to, 1u << 30, &o.bytes)) o.bytes = "(none)";
            o.time = fx->lastWrite(to);
            if (c.source && o.ok) {
                EXPECT_EQ(o.bytes, bytes);
            }
            return o;
        };
        const Outcome copied = run(std::string(c.name) + " by CopyFile", false);
        const Outcome hashed = run(std::string(c.name) + " hashed", true);
        if (c.ok >= 0) {
            EXPECT_EQ(copied.ok, c.ok == 1);
        }
        EXPECT_EQ(hashed.ok, copied.ok);
        EXPECT_EQ(hashed.error, copied.error);
        EXPECT_EQ(hashed.bytes, copied.bytes);
        EXPECT_EQ(hashed.attributes, copied.attributes);
        EXPECT_EQ(hashed.time, copied.time);
    }
}

TEST_F(FileDataContract, NoStoreLocationForAnInfThatWasNeverPublished) {
    fx->writeFile(at("oem999.inf"), "[Version]\r\n");
    std::string storeInf = "unchanged";
    EXPECT_FALSE(fx->setup().GetInfDriverStoreLocation(at("oem999.inf"), &storeInf));
    EXPECT_EQ(storeInf, "unchanged");
}

TEST_F(FileDataContract, AsciiTextsAreTheSameInUtf8) {
    EXPECT_EQ(fx->locale().AnsiToUtf8(""), "");
    EXPECT_EQ(fx->locale().AnsiToUtf8("Fenlake, \"Gigabit\" 5120\r\n"), "Fenlake, \"Gigabit\" 5120\r\n");
    const LocalTime t = fx->locale().Now();
    EXPECT_GE(t.year, 2000);
    EXPECT_TRUE(t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31);
}

// What the program takes from Windows in UTF-16 (arguments, the chosen folder, a Unicode
// INF's names) reaches the "A" calls only when the ANSI code page holds it unchanged: best
// fit would make a full-width quote split an argument, a full-width backslash climb out of
// the chosen folder, and "\u0141ukasz" another user's folder. Windows-1252, Wine's default.
TEST_F(FileDataContract, Utf16TextsInTheCodePageOnlyUnchanged) {
    struct Case {
        std::u16string text;
        bool kept;
        std::string ansi;
    } const cases[] = {
        {u"", true, ""},
        {u"C:\\Fenlake 5120.sys", true, "C:\\Fenlake 5120.sys"},
        {u"caf\u00e9.sys", true, "caf\xE9.sys"},
        {u"C:\\nothere\uff02 /list \uff02", false, "C:\\nothere? /list ?"},  // full-width quote
        {u"C:\\a\uff3c..\uff3cwindows", false, "C:\\a?..?windows"},          // full-width backslash
        {u"C\uff1a\\Windows", false, "C?\\Windows"},                         // full-width colon
        {u"C:\\Users\\\u0141ukasz", false, "C:\\Users\\?ukasz"},             // not "Lukasz"
        {u"\u221e.sys", false, "?.sys"},                                     // not "8.sys"
        {u"\u0414\u0440\u0430\u0439\u0432\u0435\u0440", false, "???????"},
        {u"\u9a71\u52a8", false, "??"},
    };
    for (const Case& c : cases) {
        std::string ansi = "stale";
        EXPECT_EQ(fx->locale().Utf16ToAnsi(c.text, &ansi), c.kept) << c.ansi;
        EXPECT_EQ(ansi, c.ansi);
    }
    std::string ansi = "unchanged";
    EXPECT_FALSE(fx->locale().Utf8ToAnsi("C:\\a\xEF\xBC\xBC..", &ansi));  // U+FF3C in UTF-8
    EXPECT_EQ(ansi, "unchanged");
}

}  // namespace
}  // namespace zv::contract
