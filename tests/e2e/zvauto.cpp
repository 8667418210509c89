// zvauto: drives another process's windows the way a person would, for the
// end-to-end suite. Each call does one thing and prints what it saw:
//   zvauto find TITLE [ms]            wait for a visible top-level window
//   zvauto gone TITLE [ms]            wait until no such window exists
//   zvauto texts TITLE [ms]           the window's child controls: class, id, text
//   zvauto press TITLE CAPTION [ms]   click the child button with that caption
//   zvauto command TITLE ID           a menu command, as the menu posts it
//   zvauto menu TITLE                 the menu bar's items with ids and captions
//   zvauto list TITLE                 the ListView rows: checked, then six cells
//   zvauto check TITLE ROW 0|1        tick or untick a row (0-based)
//   zvauto status TITLE               the status bar's text
//   zvauto progress TITLE             the progress bar's value and maximum
//   zvauto browse TITLE PATH          select PATH in the folder browser
//   zvauto close TITLE                the close box (WM_SYSCOMMAND SC_CLOSE)
//   zvauto key TITLE VK [alt]         a key press sent to the window
//   zvauto client TITLE               the client area's size in pixels
//   zvauto windows                    every visible top-level window
// Exit code 0 when the action was done, 1 when the window or control was not
// found in time, 2 on bad arguments.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

std::string ClassOf(HWND h) {
    char buf[256] = {};
    GetClassNameA(h, buf, sizeof buf);
    return buf;
}

std::string TextOf(HWND h) {
    // WM_GETTEXT is marshalled across processes.
    char buf[4096] = {};
    SendMessageTimeoutA(h, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    return buf;
}

// One line per control: line breaks inside a text are written as \r and \n.
std::string OneLine(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string StripAmpersand(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != '&') out += c;
    return out;
}

struct FindTop {
    std::string title;
    HWND found = nullptr;
};

BOOL CALLBACK FindTopProc(HWND h, LPARAM p) {
    auto* f = reinterpret_cast<FindTop*>(p);
    if (IsWindowVisible(h) && TextOf(h) == f->title) {
        f->found = h;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopWindow(const std::string& title) {
    FindTop f{title};
    EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

HWND WaitTopWindow(const std::string& title, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND h = FindTopWindow(title)) return h;
        if (GetTickCount() - start > ms) return nullptr;
        Sleep(50);
    }
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> out;
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM p) WINAPI -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

HWND ChildOfClass(HWND parent, const char* cls) {
    for (HWND h : Children(parent))
        if (lstrcmpiA(ClassOf(h).c_str(), cls) == 0) return h;
    return nullptr;
}

// Memory in the other process, for messages whose pointers are not marshalled.
class Remote {
public:
    Remote(HWND h, SIZE_T size) : m_size(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_process) m_base = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~Remote() {
        if (m_base) VirtualFreeEx(m_process, m_base, 0, MEM_RELEASE);
        if (m_process) CloseHandle(m_process);
    }
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;
    bool ok() const { return m_base != nullptr; }
    char* at(SIZE_T offset) const { return static_cast<char*>(m_base) + offset; }
    bool write(SIZE_T offset, const void* data, SIZE_T n) {
        return WriteProcessMemory(m_process, at(offset), data, n, nullptr) != 0;
    }
    bool read(SIZE_T offset, void* data, SIZE_T n) {
        return ReadProcessMemory(m_process, at(offset), data, n, nullptr) != 0;
    }

private:
    HANDLE m_process = nullptr;
    void* m_base = nullptr;
    SIZE_T m_size;
};

std::string ListCell(HWND list, Remote& mem, int row, int col) {
    LVITEMA item{};
    item.iSubItem = col;
    item.cchTextMax = 1024;
    item.pszText = mem.at(sizeof(LVITEMA));
    char zero[1024] = {};
    mem.write(sizeof(LVITEMA), zero, sizeof zero);
    mem.write(0, &item, sizeof item);
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(mem.at(0)));
    char text[1024] = {};
    mem.read(sizeof(LVITEMA), text, sizeof text - 1);
    return text;
}

int Usage() {
    std::fprintf(stderr, "usage: zvauto COMMAND ARGS (see the source's head)\n");
    return 2;
}

DWORD Ms(int argc, char** argv, int index, DWORD fallback) {
    return argc > index ? static_cast<DWORD>(std::strtoul(argv[index], nullptr, 10)) : fallback;
}

int NotFound(const std::string& what) {
    std::printf("not found: %s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string cmd = argv[1];

    if (cmd == "windows") {
        EnumWindows(
            [](HWND h, LPARAM) WINAPI -> BOOL {
                if (IsWindowVisible(h)) std::printf("%s\t%s\n", ClassOf(h).c_str(), TextOf(h).c_str());
                return TRUE;
            },
            0);
        return 0;
    }
    if (argc < 3) return Usage();
    const std::string title = argv[2];

    if (cmd == "gone") {
        const DWORD ms = Ms(argc, argv, 3, 5000), start = GetTickCount();
        while (FindTopWindow(title)) {
            if (GetTickCount() - start > ms) return NotFound("the end of window " + title);
            Sleep(50);
        }
        std::printf("gone\n");
        return 0;
    }

    const DWORD wait = (cmd == "find" || cmd == "texts") ? Ms(argc, argv, 3, 10000)
                       : cmd == "press"                  ? Ms(argc, argv, 4, 10000)
                                                         : 3000;
    HWND top = WaitTopWindow(title, wait);
    if (!top) return NotFound("window " + title);

    if (cmd == "find") {
        std::printf("%s\t%s\n", ClassOf(top).c_str(), title.c_str());
        return 0;
    }
    if (cmd == "texts") {
        for (HWND h : Children(top))
            std::printf("%s\t%d\t%s\n", ClassOf(h).c_str(), GetDlgCtrlID(h), OneLine(TextOf(h)).c_str());
        return 0;
    }
    if (cmd == "press" && argc >= 4) {
        const std::string caption = StripAmpersand(argv[3]);
        for (HWND h : Children(top))
            if (lstrcmpiA(ClassOf(h).c_str(), "Button") == 0 && StripAmpersand(TextOf(h)) == caption) {
                // Posted, not sent: the click may open a modal box whose loop would hold a send.
                // An enabled push button's click goes to its parent as the button itself would
                // send it: BM_CLICK plays a mouse click, and under Wine one was seen lost (a
                // Backup press that never opened its first box). A check box needs BM_CLICK to
                // change its state, and a disabled button must ignore the press.
                const LONG_PTR type = GetWindowLongPtrA(h, GWL_STYLE) & BS_TYPEMASK;
                if (IsWindowEnabled(h) && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON))
                    PostMessageA(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED),
                                 reinterpret_cast<LPARAM>(h));
                else
                    PostMessageA(h, BM_CLICK, 0, 0);
                std::printf("pressed %s\n", caption.c_str());
                return 0;
            }
        return NotFound("button " + caption + " in " + title);
    }
    if (cmd == "command" && argc >= 4) {
        PostMessageA(top, WM_COMMAND, MAKEWPARAM(std::atoi(argv[3]), 0), 0);
        std::printf("posted %s\n", argv[3]);
        return 0;
    }
    if (cmd == "menu") {
        HMENU bar = GetMenu(top);
        if (!bar) return NotFound("menu bar of " + title);
        for (int i = 0; i < GetMenuItemCount(bar); ++i) {
            char text[256] = {};
            GetMenuStringA(bar, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            std::printf("%d\t\t%s\n", i, text);
            HMENU sub = GetSubMenu(bar, i);
            for (int j = 0; sub && j < GetMenuItemCount(sub); ++j) {
                char item[256] = {};
                GetMenuStringA(sub, static_cast<UINT>(j), item, sizeof item, MF_BYPOSITION);
                std::printf("%d.%d\t%u\t%s\n", i, j, GetMenuItemID(sub, j), item);
            }
        }
        return 0;
    }
    if (cmd == "close") {
        PostMessageA(top, WM_SYSCOMMAND, SC_CLOSE, 0);
        std::printf("closing\n");
        return 0;
    }
    if (cmd == "key" && argc >= 4) {
        const auto vk = static_cast<WPARAM>(std::strtoul(argv[3], nullptr, 0));
        const bool alt = argc >= 5;
        SetForegroundWindow(top);
        if (alt) {
            PostMessageA(top, WM_SYSKEYDOWN, vk, 0x20000001);
            PostMessageA(top, WM_SYSKEYUP, vk, static_cast<LPARAM>(0xE0000001u));
        } else {
            PostMessageA(top, WM_KEYDOWN, vk, 1);
            PostMessageA(top, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
        }
        std::printf("key %s\n", argv[3]);
        return 0;
    }
    if (cmd == "client") {
        RECT r{};
        GetClientRect(top, &r);
        std::printf("%ld %ld\n", r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (cmd == "status") {
        HWND bar = ChildOfClass(top, STATUSCLASSNAMEA);
        if (!bar) return NotFound("status bar");
        // A simple-mode bar keeps its text apart from its parts (SB_SIMPLEID); Wine answers
        // for it under part 0 only. SB_GETTEXTA's buffer must live in the bar's process.
        Remote mem(bar, 1024);
        if (!mem.ok()) return NotFound("memory of the status bar's process");
        std::string text;
        for (WPARAM part : {WPARAM{SB_SIMPLEID}, WPARAM{0}}) {
            char zero[1024] = {};
            mem.write(0, zero, sizeof zero);
            SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(mem.at(0)));
            char buf[1024] = {};
            mem.read(0, buf, sizeof buf - 1);
            text = buf;
            if (!text.empty()) break;
        }
        std::printf("%s\n", text.c_str());
        return 0;
    }
    if (cmd == "progress") {
        HWND bar = ChildOfClass(top, PROGRESS_CLASSA);
        if (!bar) return NotFound("progress bar");
        const auto pos = SendMessageA(bar, PBM_GETPOS, 0, 0);
        const auto high = SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
        std::printf("%ld %ld\n", static_cast<long>(pos), static_cast<long>(high));
        return 0;
    }
    if (cmd == "list" || cmd == "check") {
        HWND list = ChildOfClass(top, WC_LISTVIEWA);
        if (!list) return NotFound("list view");
        Remote mem(list, sizeof(LVITEMA) + 1024);
        if (!mem.ok()) return NotFound("memory of the list's process");
        if (cmd == "check") {
            if (argc < 5) return Usage();
            LVITEMA item{};
            item.stateMask = LVIS_STATEIMAGEMASK;
            item.state = INDEXTOSTATEIMAGEMASK(std::atoi(argv[4]) ? 2 : 1);
            mem.write(0, &item, sizeof item);
            SendMessageA(list, LVM_SETITEMSTATE, std::atoi(argv[3]), reinterpret_cast<LPARAM>(mem.at(0)));
            std::printf("row %s set %s\n", argv[3], argv[4]);
            return 0;
        }
        const auto rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int r = 0; r < rows; ++r) {
            const auto state = SendMessageA(list, LVM_GETITEMSTATE, r, LVIS_STATEIMAGEMASK);
            std::printf("%d", ((state >> 12) == 2) ? 1 : 0);
            const auto header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
            const int columns = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 6;
            for (int c = 0; c < columns; ++c) std::printf("\t%s", ListCell(list, mem, r, c).c_str());
            std::printf("\n");
        }
        return 0;
    }
    if (cmd == "browse" && argc >= 4) {
        // The folder browser takes a path to select from its owner; the string must live in its process.
        const std::string path = argv[3];
        Remote mem(top, path.size() + 1);
        if (!mem.ok()) return NotFound("memory of the browser's process");
        mem.write(0, path.c_str(), path.size() + 1);
        SendMessageA(top, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(mem.at(0)));
        std::printf("selected %s\n", path.c_str());
        return 0;
    }
    return Usage();
}
