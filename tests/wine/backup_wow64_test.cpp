// A 32-bit program on 64-bit Windows: the installed 64-bit driver files lie in the
// real system32, which the process sees only with WOW64 redirection off. Runs in a
// 64-bit Wine prefix; in a 32-bit prefix there is nothing to test and it is skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "backup/backup_run.h"
#include "wine/real_files_env.h"

namespace zv {
namespace {

namespace fs = std::filesystem;

bool IsWow64() {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<none>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs f with redirection off on this thread, as the run does around its calls.
template <class F>
void Native(IFileSystem& files, F&& f) {
    std::uintptr_t old = 0;
    const bool off = files.DisableFsRedirection(&old);
    f();
    if (off) (void)files.RevertFsRedirection(old);
}

TEST(BackupWow64, FindsFilesThatOnlyTheNativeSystemFolderHolds) {
    if (!IsWow64()) GTEST_SKIP() << "a 32-bit prefix: no WOW64 redirection to turn off";
    RealFilesEnv real;
    auto& files = real.files;
    auto& shell = real.shell;
    auto& ui = real.ui;
    auto& env = real.env;
    auto& c = real.c;

    char buffer[MAX_PATH] = {};
    const std::string win(buffer, ::GetWindowsDirectoryA(buffer, MAX_PATH));
    const std::string sys(buffer, ::GetSystemDirectoryA(buffer, MAX_PATH));
    const std::string tag = "zvt" + std::to_string(::GetCurrentProcessId());
    const std::string inf = win + "\\inf\\" + tag + "-64.inf";
    const std::string native = sys + "\\drivers\\" + tag + "-64.sys";  // with redirection off
    const std::string nativeOnly = sys + "\\" + tag + "-only64.dll";
    std::string chosen = fs::temp_directory_path().string();
    if (!chosen.empty() && chosen.back() == '\\') chosen.pop_back();
    chosen += "\\" + tag + "-wow64";
    fs::create_directories(chosen);

    std::ofstream(inf, std::ios::binary) << "[Version]\r\nSignature=\"$Windows NT$\"\r\n[DestinationDirs]\r\n"
                                            "DefaultDestDir = 12\r\n[SourceDisksFiles]\r\n"
                                         << tag << "-64.sys = 1\r\n"
                                         << tag << "-only64.dll = 1\r\n";
    Native(*files, [&] {
        std::ofstream(native, std::ios::binary) << "64-bit";
        std::ofstream(nativeOnly, std::ios::binary) << "64-bit only";
    });
    std::error_code ec;
    fs::create_directories(sys + "\\drivers", ec);
    std::ofstream(native, std::ios::binary) << "32-bit";  // lands in SysWOW64\drivers

    c.list.add("Card");
    c.list.rows.back().sub[4] = "Net";
    c.list.rows.back().sub[5] = tag + "-64.inf";
    c.list.rows.back().checked = true;
    shell.queueFolder(chosen);
    (void)backup::Run(env, c.controls, fakes::ListRows(c.list));

    const std::string copied = chosen + "\\Zorvane\\Net\\Card\\" + tag;
    EXPECT_EQ(Read(copied + "-64.sys"), "64-bit");
    EXPECT_EQ(Read(copied + "-only64.dll"), "64-bit only");
    EXPECT_EQ(Read(native), "32-bit") << "redirection is back on after the run";
    EXPECT_EQ(ui.shown.back().title, "Backup");

    Native(*files, [&] {
        fs::remove(native, ec);
        fs::remove(nativeOnly, ec);
    });
    fs::remove(native, ec);
    fs::remove(inf, ec);
    fs::remove_all(chosen, ec);
}

// The 32-bit build on 64-bit Windows: the package lies in the native store, and the INF's
// sections and keys for amd64 (the running Windows', not the process's) count.
TEST(BackupWow64, ThePackageOfTheNativeStoreAndTheSectionsOfTheNativeArchitecture) {
    if (!IsWow64()) GTEST_SKIP() << "a 32-bit prefix: the running Windows is 32-bit";
    RealFilesEnv real;
    auto& files = *real.files;
    EXPECT_EQ(real.setup->NativeProcessorArchitecture(), kProcessorArchitectureAmd64);

    char buffer[MAX_PATH] = {};
    const std::string win(buffer, ::GetWindowsDirectoryA(buffer, MAX_PATH));
    const std::string sys(buffer, ::GetSystemDirectoryA(buffer, MAX_PATH));
    const std::string tag = "zvs" + std::to_string(::GetCurrentProcessId());
    const std::string stored = win + "\\inf\\" + tag + "-stored.inf";
    const std::string loose = win + "\\inf\\" + tag + "-loose.inf";
    const std::string package = sys + "\\DriverStore\\FileRepository\\" + tag + ".inf_amd64_5a1f";
    const std::string catalog = sys + "\\CatRoot\\{" + tag + "}";
    std::string chosen = fs::temp_directory_path().string();
    if (!chosen.empty() && chosen.back() == '\\') chosen.pop_back();
    chosen += "\\" + tag + "-wow64";
    fs::create_directories(chosen);

    const std::string storedInf =
        "[Version]\r\nSignature=\"$Windows NT$\"\r\n[SourceDisksFiles]\r\n" + tag + ".sys=1,amd64\r\n";
    const std::string looseInf = "[Version]\r\nSignature=\"$Windows NT$\"\r\nCatalogFile=" + tag +
                                 ".cat\r\nCatalogFile.NTamd64=" + tag +
                                 "64.cat\r\n[DestinationDirs]\r\n"
                                 "DefaultDestDir = 12\r\n[SourceDisksFiles.x86]\r\n" +
                                 tag +
                                 "x86.sys=1\r\n"
                                 "[SourceDisksFiles.amd64]\r\n" +
                                 tag + "x64.sys=1\r\n";
    auto put = [](const std::string& path, const std::string& bytes) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    };
    put(stored, storedInf);
    put(loose, looseInf);
    std::error_code ec;
    Native(files, [&] {
        put(package + "\\" + tag + ".inf", storedInf);
        put(package + "\\amd64\\" + tag + ".sys", "native package");
        put(sys + "\\drivers\\" + tag + "x86.sys", "x86");
        put(sys + "\\drivers\\" + tag + "x64.sys", "x64");
        put(catalog + "\\" + tag + "-loose.cat", "published catalog");
    });

    for (const auto& [desc, inf] : {std::pair<std::string, std::string>{"Stored", tag + "-stored.inf"},
                                    {"Loose", tag + "-loose.inf"}}) {
        real.c.list.add(desc);
        real.c.list.rows.back().sub[4] = "Net";
        real.c.list.rows.back().sub[5] = inf;
        real.c.list.rows.back().checked = true;
    }
    real.shell.queueFolder(chosen);
    (void)backup::Run(real.env, real.c.controls, fakes::ListRows(real.c.list));

    const std::string net = chosen + "\\Zorvane\\Net\\";
    EXPECT_EQ(real.ui.shown.back().title, "Backup");
    EXPECT_EQ(Read(net + "Stored\\amd64\\" + tag + ".sys"), "native package");
    EXPECT_EQ(Read(net + "Loose\\" + tag + "x64.sys"), "x64");
    EXPECT_EQ(Read(net + "Loose\\" + tag + "x86.sys"), "<none>");
    EXPECT_EQ(Read(net + "Loose\\" + tag + "64.cat"), "published catalog");

    Native(files, [&] {
        fs::remove_all(package, ec);
        fs::remove_all(catalog, ec);
        fs::remove(sys + "\\drivers\\" + tag + "x86.sys", ec);
        fs::remove(sys + "\\drivers\\" + tag + "x64.sys", ec);
    });
    fs::remove(stored, ec);
    fs::remove(loose, ec);
    fs::remove_all(chosen, ec);
}

}  // namespace
}  // namespace zv
