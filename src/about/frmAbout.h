#pragma once
// The About box: name, version, description, the maker's address, the
// warning, and a button that starts the System Information program.
#include <cstdint>
#include <string>

#include "support/env.h"

namespace zv {

// The box's fixed texts, shared by the real window and its tests.
inline constexpr const char* kMakerWebAddress = "www.fenwright.example";
inline constexpr const char* kAboutDescription =
    "Will backup drivers to a folder. Then can be used on a new OS install saving time and money.";
// The trailing blank is part of the text.
inline constexpr const char* kAboutDisclaimer = "Warning: Use this program at your own risk. ";
[[nodiscard]] std::string AboutVisitText();  // "Please visit <address> for updates and other applications."

inline constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";
inline constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
// Query, set, create subkey, enumerate, notify, create link, read control: more than a read
// needs, so an account without write rights to HKEY_LOCAL_MACHINE cannot open the keys.
inline constexpr Dword kAboutKeyAccess = 0x2003F;
inline constexpr Dword kKeyValueBuffer = 1024;

// The controls of the box as its handlers see them.
class IAboutView {
public:
    virtual ~IAboutView() = default;
    virtual void setIcon(std::uintptr_t icon) = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setTitle(const std::string& text) = 0;    // lblTitle
    virtual void setVersion(const std::string& text) = 0;  // lblVersion
    virtual void close() = 0;                              // Unload Me
};

class frmAbout {
public:
    // mainIcon: the main window's icon, shown as the box's own.
    frmAbout(Env& env, IAboutView& view, std::uintptr_t mainIcon)
        : m_env(env), m_view(view), m_mainIcon(mainIcon) {}

    void cmdSysInfo_Click();
    void cmdOK_Click();
    void Form_Load();
    void StartSysInfo();
    // Reads one value below KeyRoot\KeyName into KeyVal; false when it could not be read.
    bool GetKeyValue(Hkey KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                     std::string& KeyVal);

private:
    Env& m_env;
    IAboutView& m_view;
    std::uintptr_t m_mainIcon;
};

}  // namespace zv
