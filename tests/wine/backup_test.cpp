// The backup run end to end under Wine: the real file-system, profile and folder
// calls on uniquely named INF, catalog and driver files placed in the prefix's own
// Windows folders (the run takes those folders from the system), with scripted
// dialogs and control models. Everything placed is removed afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "backup/backup_run.h"
#include "ui/win32/ui_win32.h"
#include "wine/real_files_env.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;  // relative path (folders end in "\") -> bytes

std::string Folder(UINT (*call)(LPSTR, UINT)) {
    char buffer[MAX_PATH] = {};
    return std::string(buffer, call(buffer, MAX_PATH));
}

UINT WindowsFolderA(LPSTR b, UINT n) {
    return ::GetWindowsDirectoryA(b, n);
}
UINT SystemFolderA(LPSTR b, UINT n) {
    return ::GetSystemDirectoryA(b, n);
}

// Files and folders placed in the prefix, removed again in reverse order. In a 64-bit
// prefix they go to the native system folder, where the run looks with redirection off.
class Placed {
public:
    explicit Placed(IFileSystem& files) : m_files(files) {}
    ~Placed() {
        Native native(m_files);
        std::error_code ec;
        for (auto it = m_paths.rbegin(); it != m_paths.rend(); ++it) {
            ::SetFileAttributesA(it->c_str(), FILE_ATTRIBUTE_NORMAL);
            fs::remove_all(*it, ec);
        }
    }
    void folder(const std::string& path) {
        Native native(m_files);
        make(path);
    }
    void file(const std::string& path, const std::string& bytes) {
        Native native(m_files);
        make(fs::path(path).parent_path().string());
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        m_paths.push_back(path);
    }

private:
    struct Native {
        IFileSystem& files;
        std::uintptr_t old = 0;
        bool off;
        explicit Native(IFileSystem& f) : files(f), off(f.DisableFsRedirection(&old)) {}
        ~Native() {
            if (off) (void)files.RevertFsRedirection(old);
        }
    };
    void make(const std::string& path) {
        if (fs::exists(path)) return;
        make(fs::path(path).parent_path().string());
        fs::create_directory(path);
        m_paths.push_back(path);
    }
    IFileSystem& m_files;
    std::vector<std::string> m_paths;
};

// The decoration of the running Windows' own architecture: sections for it are read.
std::string NativeDecoration() {
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? "amd64" : "x86";
}

std::string Inf(const std::string& catalog, const std::string& destDir,
                const std::vector<std::string>& sources) {
    std::string text = "; placed by the backup test\r\n[Version]\r\nSignature=\"$Windows NT$\"\r\n";
    if (!catalog.empty()) text += "CatalogFile.NT = other.cat\r\nCatalogFile = " + catalog + "\r\n";
    text += "\r\n[DestinationDirs]\r\n";
    if (!destDir.empty()) text += "DefaultDestDir = " + destDir + "\r\n";
    text +=
        "\r\n[SourceDisksFiles." + NativeDecoration() + "]\r\nnot-this-one.sys = 1\r\n[SourceDisksFiles]\r\n";
    for (const auto& s : sources) text += s + " = 1,,\r\n";
    return text;
}

Tree ReadTree(const std::string& root) {
    Tree tree;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::string rel = fs::relative(it->path(), root).string();
        if (it->is_directory()) {
            tree[rel + "\\"] = "";
        } else {
            std::ifstream in(it->path(), std::ios::binary);
            tree[rel] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    return tree;
}

class BackupWine : public ::testing::Test, protected RealFilesEnv {
protected:
    const std::string tag = "zvt" + std::to_string(::GetCurrentProcessId());
    const std::string win = Folder(WindowsFolderA);
    const std::string sys = Folder(SystemFolderA);
    const std::string store = sys + "\\CatRoot";
    std::string chosen;
    Placed placed{*files};  // destroyed first, while the seams still exist

    void SetUp() override {
        chosen = fs::temp_directory_path().string();
        if (!chosen.empty() && chosen.back() == '\\') chosen.pop_back();
        chosen += "\\" + tag + "-backup";
        placed.folder(chosen);
        placed.folder(win + "\\inf");
    }
    void driver(const std::string& description, const std::string& className, const std::string& inf,
                bool ticked = true) {
        c.list.addDriver(description, className, inf, ticked);
    }
    void run(std::optional<std::string> folder) {
        shell.queueFolder(std::move(folder));
        (void)backup::Run(env, c.controls, fakes::ListRows(c.list));
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> out;
        for (const auto& m : ui.shown) out.push_back(m.title);
        return out;
    }
};

TEST_F(BackupWine, CopiesTheTickedDriversFilesByteForByte) {
    const std::string one = tag + "-one", prn = tag + "-prn";
    const std::string infOne =
        Inf(one + ".cat", "12", {one + ".sys", one + "-both.dll", one + "-absent.dll"});
    const std::string infPrn = Inf("", "66000", {prn + ".dll"});
    placed.file(win + "\\inf\\" + one + ".inf", infOne);
    placed.file(win + "\\inf\\" + prn + ".inf", infPrn);
    placed.file(win + "\\inf\\" + tag + "-unticked.inf", Inf("", "11", {}));
    // The same catalog in two sub-folders of the store: the one listed last stays.
    placed.file(store + "\\{" + tag + "-A}\\" + one + ".cat", "catalog A");
    placed.file(store + "\\{" + tag + "-B}\\" + one + ".cat", "catalog B");
    const std::string driverBytes("MZ\x90\0\x03\0\0\0\xff\xfe\r\n\x1a", 14);
    placed.file(sys + "\\drivers\\" + one + ".sys", driverBytes);
    // Found by the id's folder (12) and by the extension fallback: the fallback's copy stays.
    placed.file(sys + "\\Drivers\\" + one + "-both.dll", "from 12");
    placed.file(sys + "\\" + one + "-both.dll", "fallback");
    placed.file(sys + "\\spool\\drivers\\w32x86\\3\\" + prn + ".dll", "three");
    placed.file(sys + "\\spool\\drivers\\w32x86\\7\\" + prn + ".dll", "seven");

    std::vector<FindEntry> listing;
    std::uintptr_t old = 0;
    const bool off = files->DisableFsRedirection(&old);
    ASSERT_TRUE(files->FindFiles(store + "\\*", &listing));
    if (off) (void)files->RevertFsRedirection(old);
    std::string lastCatalog;
    for (const auto& e : listing)
        if (e.name == "{" + tag + "-A}")
            lastCatalog = "catalog A";
        else if (e.name == "{" + tag + "-B}")
            lastCatalog = "catalog B";

    driver("Card One", "Net", one + ".inf");
    driver("Printer: X?", "Printer", prn + ".inf");
    driver("Not Ticked", "Net", tag + "-unticked.inf", false);
    run(chosen);

    Tree tree = ReadTree(chosen);
    const std::string report = tree["Zorvane\\backup-report.csv"];
    tree.erase("Zorvane\\backup-report.csv");
    // The restore kit: a copy of the running program (this test program) and the script. Compared
    // apart, so that a failure never prints the program's bytes.
    std::ifstream self(system->ProgramPath(), std::ios::binary);
    const std::string program{std::istreambuf_iterator<char>(self), std::istreambuf_iterator<char>()};
    EXPECT_FALSE(program.empty());
    EXPECT_TRUE(tree["Zorvane\\Zorvane.exe"] == program) << "the program's copy differs from the program";
    EXPECT_NE(tree["Zorvane\\Restore drivers.cmd"].find("/restore"), std::string::npos);
    tree.erase("Zorvane\\Zorvane.exe");
    tree.erase("Zorvane\\Restore drivers.cmd");
    EXPECT_EQ(tree, (Tree{
                        {"Zorvane\\", ""},
                        {"Zorvane\\Net\\", ""},
                        {"Zorvane\\Net\\Card One\\", ""},
                        {"Zorvane\\Net\\Card One\\" + one + ".inf", infOne},
                        {"Zorvane\\Net\\Card One\\" + one + ".cat", lastCatalog},
                        // CatalogFile.NT names a catalog the store lacks: the
                        // published INF's own catalog is saved under that name.
                        {"Zorvane\\Net\\Card One\\other.cat", lastCatalog},
                        {"Zorvane\\Net\\Card One\\" + one + ".sys", driverBytes},
                        {"Zorvane\\Net\\Card One\\" + one + "-both.dll", "fallback"},
                        {"Zorvane\\Printer\\", ""},
                        {"Zorvane\\Printer\\Printer  X\\", ""},
                        {"Zorvane\\Printer\\Printer  X\\" + prn + ".inf", infPrn},
                        {"Zorvane\\Printer\\Printer  X\\" + prn + ".dll", "seven"},
                    }));
    // The report's hash comes from the system's provider: this is the SHA-256 of driverBytes.
    EXPECT_EQ(report.rfind("Driver,Class,INF,File,Status,Source,Size,SHA-256,Error,Error "
                           "text,Folder,ID,Signature,After a clean install\r\n",
                           0),
              0u);
    EXPECT_NE(
        report.find(
            "Card One,Net," + one + ".inf," + one + ".sys,copied," + sys + "\\drivers\\" + one +
            ".sys,14,04bf14e6e8e91b7c085efa3daba5344bcc90837a2366bc7e01e33a752ecbab5f,,,Net\\Card One,"),
        std::string::npos)
        << report;
    EXPECT_NE(report.find("Card One,Net," + one + ".inf,not-this-one.sys,not found,,,,,,Net\\Card One,"),
              std::string::npos);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Install", "Backup"}));
    EXPECT_EQ(c.bar.maxValue, 2);
    EXPECT_EQ(c.bar.value(), 2);
    EXPECT_EQ(c.form.pointers, (std::vector<int>{11, 0}));
}

TEST_F(BackupWine, CancelAndNoTickWriteNothing) {
    driver("Card", "Net", tag + "-none.inf", false);
    (void)backup::Run(env, c.controls,
                      fakes::ListRows(c.list));  // the browser is not opened, so nothing is queued
    EXPECT_EQ(titles(), std::vector<std::string>{"Driver"});
    c.list.rows[0].checked = true;
    run(std::nullopt);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Driver", "Install"}));
    EXPECT_EQ(c.bar.maxValue, 1);
    EXPECT_EQ(c.bar.values, std::vector<long>{0});
    EXPECT_EQ(ReadTree(chosen), Tree{});
}

TEST_F(BackupWine, AMissingInfEndsTheRunAndKeepsWhatWasWritten) {
    std::vector<std::string> names;
    for (int i = 1; i <= 5; ++i) {
        names.push_back(tag + "-" + std::to_string(i));
        driver("Card " + std::to_string(i), "Net", names.back() + ".inf");
        if (i != 3)
            placed.file(win + "\\inf\\" + names.back() + ".inf", Inf("", "11", {names.back() + ".dll"}));
        placed.file(sys + "\\" + names.back() + ".dll", "dll " + std::to_string(i));
    }
    run(chosen);
    ASSERT_EQ(titles(), (std::vector<std::string>{"Install", "Error"}));
    EXPECT_EQ(ui.shown[1].text.rfind(
                  "Error Number: 53.\r\nError Description: File not found.\r\nError Line: 247.\r\n", 0),
              0u)
        << ui.shown[1].text;
    const Tree tree = ReadTree(chosen);
    EXPECT_EQ(tree.at("Zorvane\\Net\\Card 1\\" + names[0] + ".dll"), "dll 1");
    EXPECT_EQ(tree.at("Zorvane\\Net\\Card 2\\" + names[1] + ".dll"), "dll 2");
    EXPECT_EQ(tree.count("Zorvane\\Net\\Card 3\\"), 1u);
    EXPECT_EQ(tree.count("Zorvane\\Net\\Card 4\\"), 0u);
    EXPECT_EQ(c.form.mousePointer(), 0);
    // The report of the failed run holds what the first two drivers wrote.
    const std::string& report = tree.at("Zorvane\\backup-report.csv");
    EXPECT_NE(report.find("Card 2,Net," + names[1] + ".inf," + names[1] + ".dll,copied,"), std::string::npos)
        << report;
    // The copy that stopped the run is there as failed; nothing of the drivers after it.
    EXPECT_NE(report.find("Card 3,Net," + names[2] + ".inf," + names[2] + ".inf,failed,"), std::string::npos)
        << report;
    EXPECT_EQ(report.find("Card 4,"), std::string::npos);
}

// Names Windows cannot use: device names, dots, quotes, control characters, a drive. As
// source and catalog names they are skipped and reported as not found, beside a real file
// that is copied; as descriptions and classes they become folders inside the backup; as
// the INF's name the run refuses it as a bad file name, as it refuses a traversal.
TEST_F(BackupWine, NamesWindowsCannotUseNeverEndTheRunEarly) {
    const std::string inf = tag + "-odd.inf";
    const std::string text =
        Inf("COM1", "11",
            {"CON", "nul.sys", "Aux.dll", "PRN", "com1", "lpt1.inf", "CONOUT$", "a\"q.dll", tag + ".dll"});
    placed.file(win + "\\inf\\" + inf, text);
    placed.file(sys + "\\" + tag + ".dll", "real");
    struct Case {
        const char* description;
        const char* className;
        std::string folder;  // below Zorvane
    } cases[] = {
        {"Zv \"Quoted\" Device", "Net", "Net\\Zv  Quoted  Device"},
        {"Zv Tab\there\x01", "Net", "Net\\Zv Tab here"},
        {"..", "Net", "Net\\__"},
        {"CON", "..\\..", "__ __\\_CON"},
        {"NUL", "C:\\zvbait", "C  zvbait\\_NUL"},
        {"Card", "CON", "_CON\\Card"},
    };
    for (const Case& k : cases) driver(k.description, k.className, inf);
    driver("Last", "Net", "COM1");
    run(chosen);

    ASSERT_EQ(titles(), (std::vector<std::string>{"Install", "Error"}));
    EXPECT_EQ(ui.shown[1].text.rfind("Error Number: 52.\r\nError Description: Bad file name or number.\r\n"
                                     "Error Line: 247.\r\n",
                                     0),
              0u)
        << ui.shown[1].text;
    const Tree tree = ReadTree(chosen);
    for (const Case& k : cases) {
        EXPECT_EQ(tree.count("Zorvane\\" + k.folder + "\\" + inf), 1u) << k.folder;
        EXPECT_EQ(tree.count("Zorvane\\" + k.folder + "\\" + tag + ".dll"), 1u) << k.folder;
    }
    const std::string& report = tree.at("Zorvane\\backup-report.csv");
    for (const char* name : {"CON", "nul.sys", "Aux.dll", "PRN", "com1", "lpt1.inf", "CONOUT$"})
        EXPECT_NE(report.find("Card,CON," + inf + "," + name + ",not found,,,,,,_CON\\Card,"),
                  std::string::npos)
            << name << "\n"
            << report;
    EXPECT_EQ(GetFileAttributesA("C:\\zvbait"), INVALID_FILE_ATTRIBUTES);
}

// Wine 8's setupapi has no store look-up, so this is the scan of FileRepository on the
// real file system: the package whose INF is byte-identical, never the one a byte off.
TEST_F(BackupWine, ThePackageOfAPublishedInfIsCopiedWholeWithItsSubFolders) {
    const std::string inf = Inf("", "12", {tag + ".sys", tag + "svc.dll"});
    std::string decoy = inf;
    decoy[decoy.size() - 4] = 'X';
    const std::string repo = sys + "\\DriverStore\\FileRepository";
    const std::string package = repo + "\\" + tag + ".inf_x86_5a1f0002";
    placed.file(win + "\\inf\\" + tag + "-oem.inf", inf);
    placed.file(repo + "\\" + tag + ".inf_x86_5a1f0001\\" + tag + ".inf", decoy);
    placed.file(repo + "\\" + tag + ".inf_x86_5a1f0001\\" + tag + ".sys", "decoy");
    placed.file(package + "\\" + tag + ".inf", inf);
    placed.file(package + "\\" + tag + ".sys", std::string("package\0\xff", 9));
    placed.file(package + "\\x86\\" + tag + "svc.dll", "run from the store");
    placed.file(sys + "\\drivers\\" + tag + ".sys", "installed");
    driver("Stored", "Net", tag + "-oem.inf");
    run(chosen);
    const std::string d = "Zorvane\\Net\\Stored\\";
    Tree tree = ReadTree(chosen);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Install", "Backup"}));
    EXPECT_EQ(tree[d + tag + ".sys"], std::string("package\0\xff", 9));
    EXPECT_EQ(tree[d + "x86\\" + tag + "svc.dll"], "run from the store");
    EXPECT_EQ(tree[d + tag + ".inf"], inf);
    EXPECT_EQ(tree[d + tag + "-oem.inf"], inf);
    EXPECT_NE(tree["Zorvane\\backup-report.csv"].find("Stored,Net," + tag + "-oem.inf,x86\\" + tag +
                                                      "svc.dll,copied," + package + "\\x86\\" + tag +
                                                      "svc.dll,18,"),
              std::string::npos)
        << tree["Zorvane\\backup-report.csv"];
}

// The window's thread keeps answering while a large package file copies: another thread
// sends it a message every 20 ms and times each answer. The status bar names the file.
TEST_F(BackupWine, TheWindowAnswersWithin250MsWhileA300MbPackageCopies) {
    struct Naming : fakes::FakeStatusBar {
        std::vector<std::string> texts;
        void setSimpleText(const std::string& t) override {
            texts.push_back(t);
            FakeStatusBar::setSimpleText(t);
        }
    } status;
    // Message boxes stay scripted; the work goes off the thread as in the program.
    struct PumpingUi : fakes::FakeUi {
        win32::UiWin32 real;
        void DoEvents() override {
            FakeUi::DoEvents();
            real.DoEvents();
        }
        void RunOffThread(const std::function<void()>& work) override { real.RunOffThread(work); }
    } pumping;
    Platform pumpingOs{registry, *profile, *system, *files,  internet, shell,
                       pumping,  *setup,   *data,   *locale, devices,  signatures};
    ModError::Reporter pumpingErrors{pumping};
    Env pumpingEnv{pumpingOs, pumpingErrors, app};
    MainControls controls{c.form, c.list, c.check, c.bar, status};

    const std::string inf = Inf("", "12", {});
    const std::string package = sys + "\\DriverStore\\FileRepository\\" + tag + ".inf_x86_5a1f0003";
    placed.file(win + "\\inf\\" + tag + "-big.inf", inf);
    placed.file(package + "\\" + tag + ".inf", inf);
    placed.file(package + "\\big.bin", "");
    {
        std::uintptr_t old = 0;
        const bool off = files->DisableFsRedirection(&old);
        std::ofstream out(package + "\\big.bin", std::ios::binary);
        const std::string chunk(1 << 20, '\x5a');
        for (int i = 0; i < 300; ++i) out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        if (off) (void)files->RevertFsRedirection(old);
    }
    driver("Big", "Net", tag + "-big.inf");

    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZvAnswering";
    RegisterClassA(&wc);
    const HWND hwnd = CreateWindowExA(0, "ZvAnswering", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);
    std::atomic<bool> done{false}, stopped{false};
    std::atomic<long> slowest{0}, answers{0};
    std::thread prober([&] {
        while (!done) {
            const DWORD start = GetTickCount();
            DWORD_PTR result = 0;
            (void)SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
            const long took = static_cast<long>(GetTickCount() - start);
            if (took > slowest) slowest = took;
            ++answers;
            Sleep(20);
        }
        stopped = true;
    });
    shell.queueFolder(chosen);
    const backup::BackupResult result = backup::Run(pumpingEnv, controls, fakes::ListRows(c.list));
    done = true;
    // A message sent just now still wants its answer.
    for (MSG msg; !stopped;) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(1);
    }
    prober.join();
    DestroyWindow(hwnd);

    EXPECT_EQ(result.end, backup::RunEnd::Completed);
    EXPECT_EQ(result.count(FileOutcome::Failed), 0);
    EXPECT_EQ(fs::file_size(chosen + "\\Zorvane\\Net\\Big\\big.bin"), 300u << 20);
    EXPECT_LT(slowest.load(), 250) << answers.load() << " answers";
    EXPECT_GE(answers.load(), 5);
    EXPECT_NE(std::find(status.texts.begin(), status.texts.end(), "Copying big.bin..."), status.texts.end());
    EXPECT_EQ(status.text, "Searching and saving driver files...");
}

}  // namespace
}  // namespace zv
