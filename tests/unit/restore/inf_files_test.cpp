#include "restore/inf_files.h"

#include <gtest/gtest.h>

#include "unit/restore/restore_test_support.h"

namespace zv {
namespace {

using namespace testing_restore;
using Strings = std::vector<std::string>;

TEST(FindInfFiles, WalksSubFoldersFilesFirstInNameOrder) {
    Machine m;
    m.driver("Net\\B card", "b.inf", Inf(""));
    m.driver("Net\\A card", "a.INF", Inf(""));
    m.driver("Net\\A card", "notes.txt", "x");
    m.p.files.addFile(kBackup + "\\top.inf", Inf(""));
    m.p.files.addFile(kBackup + "\\Net\\A card\\deeper\\c.inf", Inf(""));
    EXPECT_EQ(restore::FindInfFiles(m.p.env, kBackup + "\\"),
              (Strings{kBackup + "\\top.inf", kBackup + "\\Net\\A card\\a.INF",
                       kBackup + "\\Net\\A card\\deeper\\c.inf", kBackup + "\\Net\\B card\\b.inf"}));
}

TEST(FindInfFiles, APublishedCopyBesideTheSameOriginalCountsOnce) {
    struct Case {
        const char* name;
        std::string other;  // content of oem7.inf beside card.inf
        Strings found;
    };
    const std::string card = Inf("card.cat");
    const Case cases[] = {
        {"identical copy left out", card, {kBackup + "\\Net\\card.inf"}},
        {"another driver kept", Inf("other.cat"), {kBackup + "\\Net\\card.inf", kBackup + "\\Net\\oem7.inf"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine m;
        m.driver("Net", "card.inf", card);
        m.driver("Net", "oem7.inf", c.other);
        EXPECT_EQ(restore::FindInfFiles(m.p.env, kBackup), c.found);
    }
}

TEST(FindInfFiles, TwoPublishedCopiesAloneAreBothKept) {
    Machine m;
    m.driver("A", "oem3.inf", Inf(""));
    m.driver("A", "oem4.inf", Inf(""));
    EXPECT_EQ(restore::FindInfFiles(m.p.env, kBackup),
              (Strings{kBackup + "\\A\\oem3.inf", kBackup + "\\A\\oem4.inf"}));
}

TEST(FindInfFiles, DoesNotFollowReparsePoints) {
    Machine m;
    m.driver("A", "a.inf", Inf(""));
    m.p.files.addFolder(kBackup + "\\link", kFileAttributeDirectory | 0x400);
    m.p.files.addFile(kBackup + "\\link\\b.inf", Inf(""));
    EXPECT_EQ(restore::FindInfFiles(m.p.env, kBackup), (Strings{kBackup + "\\A\\a.inf"}));
}

TEST(IsPublishedName, OnlyOemDigitsInf) {
    for (const auto& [name, published] : {std::pair<const char*, bool>{"oem12.inf", true},
                                          {"OEM0.INF", true},
                                          {"oem.inf", false},
                                          {"oem1a.inf", false},
                                          {"oem12.inf.bak", false},
                                          {"xoem1.inf", false}})
        EXPECT_EQ(restore::IsPublishedName(name), published) << name;
}

TEST(HardwareIdsOf, TakesTheModelsOfTheArchitecture) {
    Machine m;
    const std::string text =
        "[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n"
        "[Manufacturer]\r\n%A%=Alpha,NTx86,NTamd64\r\nBeta=BetaModels\r\n\r\n"
        "[Alpha]\r\nOld = AInst, PCI\\VEN_OLD\r\n"
        "[Alpha.NTx86]\r\n%D1% = AInst, \"PCI\\VEN_1&DEV_1\" , PCI\\VEN_1 ; the compatible id\r\n"
        "; a comment line\r\n%D2% = AInst, PCI\\VEN_1&DEV_1\r\n"
        "[Alpha.NTamd64]\r\n%D1% = AInst, PCI\\VEN_64\r\n"
        "[BetaModels]\r\nBeta device = BInst, USB\\VID_1\r\nNoIds = BInst\r\n";
    m.driver("X", "x.inf", text);
    const std::string inf = kBackup + "\\X\\x.inf";
    EXPECT_EQ(restore::HardwareIdsOf(m.p.env, inf, "x86"),
              (Strings{"PCI\\VEN_1&DEV_1", "PCI\\VEN_1", "USB\\VID_1"}));
    EXPECT_EQ(restore::HardwareIdsOf(m.p.env, inf, "amd64"), (Strings{"PCI\\VEN_64", "USB\\VID_1"}));
}

TEST(HardwareIdsOf, VersionedDecorationsMatchAndAnInfWithoutModelsHasNone) {
    Machine m;
    m.driver("X", "x.inf",
             "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Manufacturer]\r\nM=Models,NTx86.6.1\r\n"
             "[Models.NTx86.6.1]\r\nD=I,ROOT\\ONE\r\n");
    m.driver("Y", "y.inf", Inf("y.cat"));
    EXPECT_EQ(restore::HardwareIdsOf(m.p.env, kBackup + "\\X\\x.inf", "x86"), (Strings{"ROOT\\ONE"}));
    EXPECT_TRUE(restore::HardwareIdsOf(m.p.env, kBackup + "\\Y\\y.inf", "x86").empty());
}

TEST(CatalogOf, TheArchitecturesCatalogThenNtThenPlain) {
    const struct {
        const char* version;
        const char* x86;
        const char* amd64;
    } cases[] = {
        {"CatalogFile=all.cat\r\nCatalogFile.NTx86=x86.cat\r\n", "x86.cat", "all.cat"},
        {"CatalogFile=all.cat\r\nCatalogFile.NT=nt.cat\r\nCatalogFile.NTamd64=x64.cat\r\n", "nt.cat",
         "x64.cat"},
        {"CatalogFile=ahaw98.cat          ; and win98\r\n", "ahaw98.cat", "ahaw98.cat"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        Machine m;
        m.driver("X", "x.inf", std::string("[Version]\r\n") + c.version);
        EXPECT_EQ(restore::CatalogOf(m.p.env, kBackup + "\\X\\x.inf", "x86"), c.x86);
        EXPECT_EQ(restore::CatalogOf(m.p.env, kBackup + "\\X\\x.inf", "amd64"), c.amd64);
    }
}

}  // namespace
}  // namespace zv
