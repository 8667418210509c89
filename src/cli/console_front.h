#pragma once
// A second front end for the window's runs: console versions of the controls, the
// message boxes and the folder browser, so that ReadDrivers, the backup run and the
// restore run work unchanged without a window.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/console.h"
#include "platform/platform.h"
#include "ui/controls.h"

namespace zv::cli {

// Message boxes become lines: the error reporter's boxes on standard error, the
// others on standard output. Each is answered as a person who agrees would: Yes, OK.
class ConsoleUi : public IUi {
public:
    explicit ConsoleUi(IConsole& console) : m_console(console) {}
    int MessageBox(const std::string& text, const std::string& title, Dword style) override;
    void DoEvents() override {}

    [[nodiscard]] int errorsShown() const noexcept { return m_errors; }
    [[nodiscard]] const std::vector<std::string>& texts() const noexcept { return m_texts; }

private:
    IConsole& m_console;
    int m_errors = 0;
    std::vector<std::string> m_texts;
};

// The folder browser answers with the folder of the command line.
class ConsoleShell : public IShell {
public:
    explicit ConsoleShell(std::string folder) : m_folder(std::move(folder)) {}
    std::intptr_t ShellExecute(Hwnd, const std::string&, const std::string&, const std::string&,
                               const std::string&, int) override {
        return 0;  // nothing is opened from the command line
    }
    std::optional<std::string> BrowseForFolder(Hwnd, const std::string&, Dword) override { return m_folder; }

private:
    std::string m_folder;
};

class RowList : public IDriverList {
public:
    struct Row {
        std::string text;
        std::string sub[kDriverColumns];  // sub[kColDescription] unused: that is text
        bool checked = false;
    };
    void clear() override { rows.clear(); }
    void add(const std::string& text) override { rows.push_back(Row{text, {}, false}); }
    long count() const override { return static_cast<long>(rows.size()); }
    std::string text(long row) const override { return at(row).text; }
    std::string subItem(long row, int k) const override {
        return k >= kFirstSubItem && k <= kLastSubItem ? at(row).sub[k] : "";
    }
    void setSubItem(long row, int k, const std::string& t) override {
        if (k >= kFirstSubItem && k <= kLastSubItem) at(row).sub[k] = t;
    }
    bool checked(long row) const override { return at(row).checked; }
    void setChecked(long row, bool on) override { at(row).checked = on; }

    std::vector<Row> rows;

private:
    Row& at(long row) { return rows.at(static_cast<std::size_t>(row - 1)); }
    const Row& at(long row) const { return rows.at(static_cast<std::size_t>(row - 1)); }
};

class FixedCheckBox : public ICheckBox {
public:
    explicit FixedCheckBox(bool ticked) : m_value(ticked ? 1 : 0) {}
    int value() const override { return m_value; }

private:
    int m_value;
};

// Calls onAdvance each time the value goes up: a run sets the value after each driver.
class SteppingBar : public IProgressBar {
public:
    void setMax(long m) override { m_max = m; }
    void setValue(long v) override {
        const long before = m_value;
        m_value = v;
        if (v > before && onAdvance) onAdvance(v, m_max);
    }
    long max() const override { return m_max; }
    long value() const override { return m_value; }
    std::function<void(long value, long max)> onAdvance;

private:
    long m_max = 100;
    long m_value = 0;
};

class TextStatus : public IStatusBar {
public:
    void setSimpleText(const std::string& t) override { m_text = t; }
    std::string simpleText() const override { return m_text; }

private:
    std::string m_text;
};

class NoWindow : public IFormWindow {
public:
    void setMousePointer(int p) override { m_pointer = p; }
    int mousePointer() const override { return m_pointer; }
    Hwnd handle() const override { return kNoWindow; }
    void setCaption(const std::string&) override {}
    std::string caption() const override { return ""; }
    void setAboutItemCaption(const std::string&) override {}
    std::string aboutItemCaption() const override { return ""; }
    void showAbout() override {}
    void unload() override {}

private:
    int m_pointer = kPointerDefault;
};

// The real file system, with the files it copied remembered since the last take().
class CopyRecorder : public IFileSystem {
public:
    explicit CopyRecorder(IFileSystem& inner) : m_inner(inner) {}
    Dword GetLastError() const override { return m_inner.GetLastError(); }
    Dword GetFileAttributes(const std::string& p) override { return m_inner.GetFileAttributes(p); }
    bool GetFileSize(const std::string& p, std::uint64_t* s) override { return m_inner.GetFileSize(p, s); }
    bool FindFiles(const std::string& p, std::vector<FindEntry>* e) override {
        return m_inner.FindFiles(p, e);
    }
    bool CreateDirectory(const std::string& p) override { return m_inner.CreateDirectory(p); }
    bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
        const bool ok = m_inner.CopyFile(from, to, failIfExists);
        if (ok) m_copied.push_back(to);
        return ok;
    }
    bool DeleteFile(const std::string& p) override { return m_inner.DeleteFile(p); }
    Hfile OpenForWrite(const std::string& p) override {
        const Hfile f = m_inner.OpenForWrite(p);
        if (f != kInvalidHfile && p.find("\\backup-report") != std::string::npos) m_written = p;
        return f;
    }
    bool WriteFile(Hfile f, const void* d, Dword n, Dword* w) override {
        return m_inner.WriteFile(f, d, n, w);
    }
    bool CloseFile(Hfile f) override { return m_inner.CloseFile(f); }
    bool DisableFsRedirection(std::uintptr_t* o) override { return m_inner.DisableFsRedirection(o); }
    bool RevertFsRedirection(std::uintptr_t o) override { return m_inner.RevertFsRedirection(o); }

    // The copies' destinations since the last call, in order.
    [[nodiscard]] std::vector<std::string> take() { return std::exchange(m_copied, {}); }
    // The last backup report written.
    [[nodiscard]] const std::string& lastWritten() const { return m_written; }

private:
    IFileSystem& m_inner;
    std::vector<std::string> m_copied;
    std::string m_written;
};

}  // namespace zv::cli
