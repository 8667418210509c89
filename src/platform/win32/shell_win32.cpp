// The shell seam: ShellExecuteA, and the folder browser of the shell's automation
// object, as a script would call it: no root folder, and the chosen folder's path
// read from the item for the folder itself (Items, Item without an index, Path).
#include <windows.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>
#undef ShellExecute

#include <string>

#include "platform/win32/ansi_text.h"
#include "platform/win32/factories.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unique.h"
#include "support/identity.h"

namespace zv::win32 {
namespace {

// shell32, ole32 and oleaut32 are bound when a web page or the folder browser is first
// wanted, not at every start.
template <class Fn>
Fn Ole32(const char* name) {
    return SystemProc<Fn>("ole32.dll", name);
}
template <class Fn>
Fn OleAut32(const char* name) {
    return SystemProc<Fn>("oleaut32.dll", name);
}
template <class Fn>
Fn Shell32(const char* name) {
    return SystemProc<Fn>("shell32.dll", name);
}

// The chosen folder in the code page the "A" calls take. One the code page cannot hold
// unchanged is refused with a box that names it as the user saw it: a look-alike ("\" for a
// full-width backslash, "L" for "\u0141") would be another folder, perhaps outside this one.
std::optional<std::string> ChosenFolder(HWND owner, const wchar_t* path) {
    std::string ansi;
    if (!path || AnsiFromWide(path, &ansi)) return ansi;
    const std::wstring text = L"The folder \"" + std::wstring(path) +
                              L"\" cannot be used: its name holds characters that this Windows' code "
                              L"page cannot hold unchanged, and Zorvane names its files in that code "
                              L"page. Choose or create a folder whose name has none of them.";
    (void)::MessageBoxW(owner, text.c_str(), WideFromAnsi(kProgramTitle).c_str(),
                        MB_ICONEXCLAMATION | MB_APPLMODAL);
    return std::nullopt;
}

struct Bstr {
    BSTR b = nullptr;
    explicit Bstr(const std::wstring& w) {
        static const auto alloc = OleAut32<decltype(&::SysAllocStringLen)>("SysAllocStringLen");
        if (alloc) b = alloc(w.data(), static_cast<UINT>(w.size()));
    }
    Bstr() = default;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() {
        static const auto release = OleAut32<decltype(&::SysFreeString)>("SysFreeString");
        if (b && release) release(b);
    }
};

// The optional argument left out, as a script passes it.
VARIANT Missing() {
    VARIANT v{};
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

struct ComApartment {
    HRESULT hr = E_FAIL;
    ComApartment() {
        static const auto init = Ole32<decltype(&::CoInitializeEx)>("CoInitializeEx");
        if (init) hr = init(nullptr, COINIT_APARTMENTTHREADED);
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        static const auto uninit = Ole32<decltype(&::CoUninitialize)>("CoUninitialize");
        if (SUCCEEDED(hr) && uninit) uninit();
    }
};

// The plain shell dialog, for a system where the automation object cannot be created.
std::optional<std::string> BrowseWithDialog(HWND owner, const std::string& title, Dword options) {
    BROWSEINFOA bi{};
    bi.hwndOwner = owner;
    bi.lpszTitle = title.c_str();
    bi.ulFlags = options;
    static const auto browse = Shell32<decltype(&::SHBrowseForFolderA)>("SHBrowseForFolderA");
    static const auto pathOf = Shell32<decltype(&::SHGetPathFromIDListW)>("SHGetPathFromIDListW");
    static const auto freeMemory = Ole32<decltype(&::CoTaskMemFree)>("CoTaskMemFree");
    if (!browse || !pathOf || !freeMemory) return std::nullopt;
    PIDLIST_ABSOLUTE pidl = browse(&bi);
    if (!pidl) return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const BOOL ok = pathOf(pidl, path);
    freeMemory(pidl);
    if (!ok) return std::nullopt;
    return ChosenFolder(owner, path);
}

class Win32Shell final : public IShell {
public:
    std::intptr_t ShellExecute(Hwnd parent, const std::string& verb, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               int showCommand) override {
        static const auto execute = Shell32<decltype(&::ShellExecuteA)>("ShellExecuteA");
        if (!execute) return SE_ERR_DLLNOTFOUND;
        HINSTANCE r = execute(ToNative(parent), verb.empty() ? nullptr : verb.c_str(), file.c_str(),
                              parameters.empty() ? nullptr : parameters.c_str(),
                              directory.empty() ? nullptr : directory.c_str(), showCommand);
        return reinterpret_cast<std::intptr_t>(r);
    }

    std::optional<std::string> BrowseForFolder(Hwnd owner, const std::string& title, Dword options) override {
        ComApartment apartment;
        static const auto create = Ole32<decltype(&::CoCreateInstance)>("CoCreateInstance");
        UniqueCom<IShellDispatch> shell;
        if (!create ||
            FAILED(create(CLSID_Shell, nullptr, CLSCTX_INPROC_SERVER, IID_IShellDispatch,
                          reinterpret_cast<void**>(shell.put()))) ||
            !shell)
            return BrowseWithDialog(ToNative(owner), title, options);
        Bstr caption(WideFromAnsi(title));
        UniqueCom<Folder> folder;
        const HRESULT hr = shell.get()->BrowseForFolder(static_cast<LONG>(owner), caption.b,
                                                        static_cast<LONG>(options), Missing(), folder.put());
        if (hr != S_OK || !folder) return std::nullopt;  // cancelled
        UniqueCom<FolderItems> items;
        if (FAILED(folder.get()->Items(items.put())) || !items) return std::nullopt;
        UniqueCom<FolderItem> item;
        if (FAILED(items.get()->Item(Missing(), item.put())) || !item) return std::nullopt;
        Bstr path;
        if (FAILED(item.get()->get_Path(&path.b))) return std::nullopt;
        return ChosenFolder(ToNative(owner), path.b);
    }
};

}  // namespace

std::unique_ptr<IShell> MakeShell() {
    return std::make_unique<Win32Shell>();
}

}  // namespace zv::win32
