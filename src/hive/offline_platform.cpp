#include "hive/offline_platform.h"

#include <cctype>
#include <cstring>

namespace zv::hive {
namespace {

constexpr const char* kEnumKey = "SYSTEM\\CurrentControlSet\\Enum";
constexpr const char* kEnvironmentKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr const char* kVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
// DEVPKEY_Device_ExtendedConfigurationIds, as Windows keeps device properties below the device.
constexpr const char* kExtensionInfsKey = "Properties\\{a8b865dd-2e3d-4094-ad97-e593a70c75d6}\\0014";
// Hive names are at most 255 characters; a deeper Enum than this is no Windows'.
constexpr Dword kNameSize = 256;
constexpr std::size_t kDeviceLimit = 100000;

struct Key {
    IRegistry& registry;
    Hkey key{};
    Key(IRegistry& r, Hkey root, const std::string& path) : registry(r) {
        if (r.OpenKeyEx(root, path, 0, kKeyRead, &key) != kErrorSuccess) key = Hkey{};
    }
    Key(const Key&) = delete;
    ~Key() {
        if (key != Hkey{}) (void)registry.CloseKey(key);
    }
    std::vector<std::string> subkeys() const {
        std::vector<std::string> names;
        char name[kNameSize];
        for (Dword i = 0; key != Hkey{} && registry.EnumKey(key, i, name, kNameSize) == kErrorSuccess; ++i)
            names.emplace_back(name);
        return names;
    }
    // The value's bytes, whatever its type; false when it is missing.
    bool bytes(const std::string& value, Dword* type, std::string* out) const {
        Dword size = 0;
        if (key == Hkey{} || registry.QueryValueEx(key, value, type, nullptr, &size) != kErrorSuccess)
            return false;
        out->assign(size, '\0');
        if (size == 0) return true;
        if (registry.QueryValueEx(key, value, type, reinterpret_cast<std::uint8_t*>(out->data()), &size) !=
            kErrorSuccess)
            return false;
        out->resize(size);
        return true;
    }
    std::string text(const std::string& value) const {
        Dword type = 0;
        std::string data;
        if (!bytes(value, &type, &data) || (type != kRegSz && type != kRegExpandSz)) return "";
        return data.substr(0, data.find('\0'));
    }
};

// A device description as Windows keeps it: "@oem3.inf,%desc%;Fenlake 5120" shows the text after ';'.
std::string Shown(const std::string& text) {
    if (text.empty() || text[0] != '@') return text;
    const std::size_t semicolon = text.find(';');
    return semicolon == std::string::npos ? text : text.substr(semicolon + 1);
}

// A string list property (DEVPROP_TYPE_STRING_LIST): UTF-16LE strings, each ended by a NUL.
std::vector<std::string> StringList(ILocale& locale, const std::string& bytes) {
    std::vector<std::string> out;
    std::u16string one;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (c != u'\0') {
            one += c;
            continue;
        }
        std::string ansi;
        if (!one.empty() && locale.Utf16ToAnsi(one, &ansi)) out.push_back(ansi);
        one.clear();
    }
    return out;
}

}  // namespace

Dword OfflineSystem::Answer(const std::string& folder, char* buffer, Dword size) {
    if (folder.size() + 1 > size) return static_cast<Dword>(folder.size() + 1);
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return static_cast<Dword>(folder.size());
}

Dword OfflineSystem::ExpandEnvironmentStrings(const std::string& source, char* destination, Dword size) {
    std::string text = source;
    for (const char* name : {"%SystemRoot%", "%windir%"}) {
        const std::size_t length = std::strlen(name);
        for (std::size_t at = 0; at + length <= text.size();) {
            bool same = true;
            for (std::size_t k = 0; k < length && same; ++k)
                same = std::tolower(static_cast<unsigned char>(text[at + k])) ==
                       std::tolower(static_cast<unsigned char>(name[k]));
            if (!same) {
                ++at;
                continue;
            }
            text.replace(at, length, m_windows);
            at += m_windows.size();
        }
    }
    return m_inner.ExpandEnvironmentStrings(text, destination, size);
}

bool OfflineDevices::ListDevices(std::vector<DeviceEntry>* devices, Dword*) {
    devices->clear();
    const Key root(m_registry, kHkeyLocalMachine, kEnumKey);
    for (const std::string& enumerator : root.subkeys()) {
        const Key e(m_registry, root.key, enumerator);
        for (const std::string& device : e.subkeys()) {
            const Key d(m_registry, e.key, device);
            for (const std::string& instance : d.subkeys()) {
                if (devices->size() >= kDeviceLimit) return true;
                const Key i(m_registry, d.key, instance);
                DeviceEntry entry;
                entry.driverKey = i.text("Driver");
                entry.name = Shown(i.text("FriendlyName"));
                if (entry.name.empty()) entry.name = Shown(i.text("DeviceDesc"));
                const Key property(m_registry, i.key, kExtensionInfsKey);
                Dword type = 0;
                std::string bytes;
                if (property.bytes("", &type, &bytes)) entry.extensionInfs = StringList(m_locale, bytes);
                devices->push_back(std::move(entry));
            }
        }
    }
    return true;
}

bool OfflineArchitecture(IRegistry& registry, std::uint16_t* architecture) {
    const std::string name = Key(registry, kHkeyLocalMachine, kEnvironmentKey).text("PROCESSOR_ARCHITECTURE");
    struct Known {
        const char* name;
        std::uint16_t value;
    };
    for (const Known k :
         {Known{"x86", kProcessorArchitectureIntel}, Known{"AMD64", kProcessorArchitectureAmd64},
          Known{"ARM64", kProcessorArchitectureArm64}, Known{"IA64", kProcessorArchitectureIa64}}) {
        if (name.size() != std::strlen(k.name)) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(name[i])) ==
                   std::tolower(static_cast<unsigned char>(k.name[i]));
        if (!same) continue;
        *architecture = k.value;
        return true;
    }
    return false;
}

std::string OfflineBuild(IRegistry& registry) {
    return Key(registry, kHkeyLocalMachine, kVersionKey).text("CurrentBuild");
}

}  // namespace zv::hive
