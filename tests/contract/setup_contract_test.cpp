// SetupCopyOEMInfA as the restore relies on it: the fake on the host and the real call
// under Wine must agree on where a staged INF lands, on "already there", and on the
// errors of a missing INF, a missing catalog and a wrong signature.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "contract/setup_fixture.h"
#include "support/paths.h"

namespace zv::contract {
namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Unique per fixture, so that no earlier run's INF makes this one "already there".
std::string Inf(const SetupContractFixture& f, const std::string& catalog,
                const std::string& signature = "\"$Windows NT$\"") {
    std::string text = "[Version]\r\nSignature=" + signature + "\r\nClass=Net\r\n";
    if (!catalog.empty()) text += "CatalogFile=" + catalog + "\r\n";
    return text + "; " + f.folder() + "\r\n";
}

TEST(SetupContract, StagesIntoTheInfFolderAndKnowsAnInfItHasAlready) {
    auto f = MakeSetupContractFixture();
    const std::string source = f->folder() + "\\zvcard.inf";
    const std::string text = Inf(*f, "zvcard.cat");
    f->writeFile(source, text);
    f->writeFile(f->folder() + "\\zvcard.cat", "catalog");
    std::string stored;
    ASSERT_TRUE(f->setup().CopyOEMInf(source, kSpostPath, kSpCopyNoOverwrite, &stored))
        << f->setup().GetLastError();
    f->staged(stored);
    EXPECT_EQ(f->setup().GetLastError(), 0u);
    EXPECT_EQ(Upper(FolderOf(stored)), Upper(f->windowsFolder() + "\\inf"));
    EXPECT_EQ(f->readFile(stored), text);

    std::string again;
    EXPECT_FALSE(f->setup().CopyOEMInf(source, kSpostPath, kSpCopyNoOverwrite, &again));
    EXPECT_EQ(f->setup().GetLastError(), kErrorFileExists);
    EXPECT_EQ(Upper(again), Upper(stored));
}

TEST(SetupContract, FailsWithTheReasonForBadInfs) {
    struct Case {
        const char* name;
        std::string text;  // "" : the INF is not there
        Dword error;
    };
    auto f = MakeSetupContractFixture();
    const Case cases[] = {
        {"zvmissing.inf", "", kErrorFileNotFound},
        {"zvnocat.inf", Inf(*f, "zvnotthere.cat"), kErrorFileNotFound},
        {"zvstyle.inf", Inf(*f, "", "\"$Something$\""), 0xE0000100u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = f->folder() + "\\" + c.name;
        if (!c.text.empty()) f->writeFile(source, c.text);
        std::string stored = "unchanged";
        EXPECT_FALSE(f->setup().CopyOEMInf(source, kSpostPath, kSpCopyNoOverwrite, &stored));
        if (!stored.empty() && stored != "unchanged") f->staged(stored);
        EXPECT_EQ(f->setup().GetLastError(), c.error);
        EXPECT_TRUE(stored.empty());
    }
}

}  // namespace
}  // namespace zv::contract
