#pragma once
// A second front end for the window's runs: console versions of the controls the runs
// write into, the message boxes and the folder browser. The runs' results tell the
// command line what happened; these only stand in for the window.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

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
    void RunOffThread(const std::function<void()>& work) override { work(); }
    [[nodiscard]] bool HasWindow() const override { return false; }

private:
    IConsole& m_console;
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

// The runs are handed their drivers as records; the console shows no list.
class NoRows : public IDriverList {
public:
    void clear() override {}
    void add(const std::string&) override {}
    long count() const override { return 0; }
    std::string text(long) const override { return ""; }
    std::string subItem(long, int) const override { return ""; }
    void setSubItem(long, int, const std::string&) override {}
    bool checked(long) const override { return false; }
    void setChecked(long, bool) override {}
};

class FixedCheckBox : public ICheckBox {
public:
    explicit FixedCheckBox(bool ticked) : m_value(ticked ? 1 : 0) {}
    int value() const override { return m_value; }

private:
    int m_value;
};

class ConsoleBar : public IProgressBar {
public:
    void setMax(long m) override { m_max = m; }
    void setValue(long v) override { m_value = v; }
    long max() const override { return m_max; }
    long value() const override { return m_value; }

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

}  // namespace zv::cli
