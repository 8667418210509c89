#include "inventory/md_registry.h"

#include <algorithm>
#include <cstdio>

#include "support/guard.h"
#include "support/registry_key.h"
#include "support/text.h"
#include "support/vbrt.h"

namespace zv::md_registry {
namespace {

// RegEnumKeyA's buffer: a subkey name of 64 characters or more does not fit.
constexpr Dword kSubkeyNameSize = 64;
// EnumRegistryValues' first buffers.
constexpr Dword kValueNameSize = 260;
constexpr Dword kFirstDataSize = 4096;
// The longest value name the registry allows, with its NUL: the retry buffer when a
// name does not fit into the first one.
constexpr Dword kLongestValueName = 16384;

std::uint8_t* Bytes(std::string& s) {
    return reinterpret_cast<std::uint8_t*>(s.data());
}
const char* Chars(const std::vector<std::uint8_t>& v) {
    return reinterpret_cast<const char*>(v.data());
}

// "00 AB 7F": two upper-case digits a byte, one blank between bytes.
std::string HexBytes(const std::vector<std::uint8_t>& data, Dword size) {
    std::string out;
    char digits[3];
    for (Dword i = 0; i < size && i < data.size(); ++i) {
        std::snprintf(digits, sizeof digits, "%02X", data[i]);
        if (i > 0) out += ' ';
        out += digits;
    }
    return out;
}

// ExpandEnvironmentStringsA into the whole of buffer; the size it needs, with the NUL.
Dword ExpandInto(ISystem& system, const std::string& source, std::string& buffer) {
    return system.ExpandEnvironmentStrings(source, buffer.data(), static_cast<Dword>(buffer.size()));
}

// Large enough for every value the driver list reads in one query; a longer one is
// asked for its size first, as before.
constexpr Dword kFirstQuerySize = 512;

// Key names ignore letter case. Compared in place: the driver list asks for an open key
// several times per driver, and copying both paths to lower case each time cost more
// than the comparison.
bool SameNameNoCase(const char* a, const char* b, std::size_t n) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < n; ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool SamePath(const std::string& a, const std::string& b) {
    return a.size() == b.size() && SameNameNoCase(a.data(), b.data(), a.size());
}

bool StartsWithPath(const std::string& path, const std::string& parent) {
    return path.size() > parent.size() + 1 && path[parent.size()] == '\\' &&
           SameNameNoCase(path.data(), parent.data(), parent.size());
}

// Queries the value into a buffer of the size it reports; how QueryValueEx reads a value
// that does not fit into its first buffer.
// status is kept up to date, so that a failure inside leaves the last query's.
void QueryBySize(IRegistry& registry, Hkey key, const std::string& valueName, RegValue& value, Long& status) {
    Dword type = kRegNone;
    Dword size = 0;
    status = registry.QueryValueEx(key, valueName, &type, nullptr, &size);
    if (status != kErrorSuccess) return;
    switch (type) {
        case kRegSz: {
            std::string buffer(size, '\0');
            status = registry.QueryValueEx(key, valueName, nullptr, Bytes(buffer), &size);
            if (status != kErrorSuccess) {
                value = std::monostate{};
                return;
            }
            // The last byte is taken for the NUL: a value stored without one loses its
            // last character. A size of 0 would ask for -1 characters, which ends here
            // without touching the value.
            const std::size_t read = std::min<std::size_t>(size, buffer.size());
            if (read == 0) return;
            value = buffer.substr(0, read - 1);
            return;
        }
        case kRegDword: {
            // Never more than the 4 bytes we have: a malformed, longer REG_DWORD gives
            // ERROR_MORE_DATA instead of writing past the number.
            std::int32_t number = 0;
            size = sizeof number;
            auto* bytes = reinterpret_cast<std::uint8_t*>(&number);
            status = registry.QueryValueEx(key, valueName, nullptr, bytes, &size);
            if (status == kErrorSuccess) value = number;
            return;
        }
        default: status = -1;
    }
}

// Opens one key for ReadKey: from keys when given, else root\path into owned.
Hkey OpenForReading(Env& env, OpenKeys* keys, Hkey root, const std::string& path, OpenedKey& owned) {
    if (keys) return keys->Open(root, path);
    (void)env.os.registry.OpenKeyEx(root, path, 0, kKeyQueryValue, owned.put());
    return owned.get();
}

}  // namespace

OpenKeys::~OpenKeys() {
    // The keys used last first, those kept for the run last.
    m_recent.clear();
    m_kept.clear();
}

void OpenKeys::Keep(Hkey root, const std::string& path) {
    m_kept.push_back(Entry{root, path, OpenBelow(root, path)});
}

OpenedKey OpenKeys::OpenBelow(Hkey root, const std::string& path) {
    // The deepest open key above path, so that only the rest of the path is looked up.
    const Entry* parent = nullptr;
    for (const std::vector<Entry>* list : {&m_kept, &m_recent})
        for (const Entry& e : *list)
            if (e.key && e.root == root && StartsWithPath(path, e.path) &&
                (!parent || e.path.size() > parent->path.size()))
                parent = &e;
    Hkey key = kNoKey;
    const Long status = parent ? m_registry.OpenKeyEx(parent->key.get(), path.substr(parent->path.size() + 1),
                                                      0, kKeyRead, &key)
                               : m_registry.OpenKeyEx(root, path, 0, kKeyRead, &key);
    return OpenedKey(status == kErrorSuccess ? key : kNoKey, SeamKeyTraits{&m_registry});
}

Hkey OpenKeys::Open(Hkey root, const std::string& path) {
    for (const Entry& e : m_kept)
        if (e.root == root && SamePath(e.path, path)) return e.key.get();
    // A driver's reads alternate between its instance key and its class key: keep the
    // few used last, so that the class key stays open while its instances are read.
    for (auto it = m_recent.begin(); it != m_recent.end(); ++it)
        if (it->root == root && SamePath(it->path, path)) {
            std::rotate(it, it + 1, m_recent.end());
            return m_recent.back().key.get();
        }
    constexpr std::size_t kRecent = 3;
    if (m_recent.size() == kRecent) m_recent.erase(m_recent.begin());
    m_recent.push_back(Entry{root, path, OpenBelow(root, path)});
    return m_recent.back().key.get();
}

std::string ValueText(const RegValue& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return *s;
    if (const auto* n = std::get_if<std::int32_t>(&value)) return std::to_string(*n);
    return "";
}

void RegistryValues::Add(std::string name, std::string text) {
    m_items.emplace_back(std::move(name), std::move(text));
}

const std::string* RegistryValues::Find(const std::string& name) const {
    const auto it = std::find_if(m_items.begin(), m_items.end(),
                                 [&](const Item& item) { return EqualsNoCase(item.first, name); });
    return it == m_items.end() ? nullptr : &it->second;
}

RegValue ReadKey(Env& env, Hkey root, const std::string& path, const std::string& name, OpenKeys* keys) {
    RegValue result;
    Guard(env, [&](int& erl) {
        OpenedKey key = NoKeyOf(env.os.registry);
        RegValue vValue;
        // Read rights only. The open is not checked: after a failure the handle is 0, the
        // query through it fails too, and the value stays empty.
        LN(1) const Hkey hKey = OpenForReading(env, keys, root, path, key);
        LN(2) QueryValueEx(env, hKey, name, vValue);
        LN(3) key.reset();
        LN(4) result = vValue;
    });
    return result;
}

Long QueryValueEx(Env& env, Hkey key, const std::string& valueName, RegValue& value) {
    // No failure path of its own: a failure inside ends the function quietly with the
    // status of the last query (-1 before any) and the value as it was.
    Long status = -1;
    try {
        IRegistry& registry = env.os.registry;
        // Type, size and data in one query where the value fits; the result is the same as
        // asking for the size first and then for the data, at half the calls.
        std::uint8_t first[kFirstQuerySize];
        Dword type = kRegNone;
        Dword size = kFirstQuerySize;
        status = registry.QueryValueEx(key, valueName, &type, first, &size);
        if (status == kErrorMoreData) {
            QueryBySize(registry, key, valueName, value, status);
            return status;
        }
        if (status != kErrorSuccess) return status;
        switch (type) {
            case kRegSz:
                // The last byte is taken for the NUL (see QueryBySize); a size of 0 leaves the value.
                if (size == 0) return status;
                value =
                    std::string(reinterpret_cast<const char*>(first), std::min(size, kFirstQuerySize) - 1);
                return status;
            case kRegDword: {
                std::int32_t number = 0;
                if (size > sizeof number) return kErrorMoreData;
                std::copy(first, first + size, reinterpret_cast<std::uint8_t*>(&number));
                value = number;
                return status;
            }
            default: return -1;
        }
    } catch (...) {
        (void)CurrentFailure();
        return status;
    }
}

std::vector<std::string> ListKey(Env& env, Hkey root, const std::string& path) {
    std::vector<std::string> list;
    Guard(env, [&](int& erl) {
        IRegistry& registry = env.os.registry;
        OpenedKey key = NoKeyOf(registry);
        // Full access, not just read rights, on purpose: a key the user may only read (on
        // Windows, HKEY_LOCAL_MACHINE for a user without administrator rights) is not listed.
        // Wine has no registry ACLs, so only the fake can show that path.
        LN(5) Long lResult = registry.OpenKeyEx(root, path, 0, kKeyAllAccess, key.put());
        LN(6) if (lResult != kErrorSuccess) {
            LN(7) env.os.ui.MessageBox("Cannot Open Key", kProgramTitle, kMbOk);
            LN(8) return;
        }
        LN(9) std::vector<std::string> names;
        LN(10) std::string sName;
        LN(11) Dword lIndex = 0;
        // Ends at the first call that fails: past the last subkey, but also at the first
        // name too long for the buffer, so the names after it are not listed.
        LN(12) do {
            LN(13) sName.assign(kSubkeyNameSize, '\0');
            LN(14) lResult = registry.EnumKey(key.get(), lIndex, sName.data(), kSubkeyNameSize);
            LN(15) if (lResult == kErrorSuccess) {
                LN(16) sName.erase(std::remove(sName.begin(), sName.end(), '\0'), sName.end());
                LN(17) names.push_back(sName);
                // clang-format off
                LN(18) ++lIndex;
            }
        LN(19) } while (lResult == kErrorSuccess);
        // clang-format on
        LN(20) key.reset();
        LN(21) list = std::move(names);
    });
    return list;
}

RegistryValues EnumRegistryValues(Env& env, Hkey root, const std::string& path) {
    RegistryValues values;
    Guard(env, [&](int& erl) {
        IRegistry& registry = env.os.registry;
        ISystem& system = env.os.system;
        OpenedKey key = NoKeyOf(registry);
        Hkey hKey = root;
        std::string sName;
        std::vector<std::uint8_t> abData;
        Dword cchName = 0;
        Dword lType = kRegNone;
        Dword cbData = 0;
        Dword lIndex = 0;
        Long lResult = kErrorSuccess;
        std::string sText;
        const auto enumValue = [&] {
            return registry.EnumValue(hKey, lIndex, sName.data(), &cchName, &lType, abData.data(), &cbData);
        };
        // An empty path lists the root's own values; the root is not opened or closed.
        LN(22) if (!path.empty()) {
            LN(23) Long lOpen = registry.OpenKeyEx(root, path, 0, kKeyRead, key.put());
            LN(24) if (lOpen != kErrorSuccess) return;
            LN(25) hKey = key.get();
        }
        LN(26) do {
            LN(27) sName.assign(kValueNameSize, '\0');
            LN(28) abData.assign(kFirstDataSize, 0);
            LN(29) cchName = kValueNameSize;
            LN(30) lType = kRegNone;
            LN(31) cbData = kFirstDataSize;
            LN(32) lResult = enumValue();
            // The data (or the name) did not fit: the call told us the data's size, so ask
            // for the same value again with room for both.
            LN(33) if (lResult == kErrorMoreData) {
                LN(34) abData.assign(std::max<Dword>(cbData, kFirstDataSize), 0);
                LN(35) sName.assign(kLongestValueName, '\0');
                LN(36) cchName = kLongestValueName;
                LN(37) cbData = static_cast<Dword>(abData.size());
                LN(38) lResult = enumValue();
            }
            LN(39) if (lResult == kErrorSuccess) {
                LN(40) sName.resize(std::min<std::size_t>(cchName, sName.size()));
                LN(41) cbData = std::min<Dword>(cbData, static_cast<Dword>(abData.size()));
                LN(42) sText.clear();
                LN(43) switch (lType) {
                    case kRegDword: {
                        LN(44) sText = DwordText(abData.data(), cbData);
                        break;
                    }
                    case kRegSz:
                        LN(48) sText.assign(Chars(abData), cbData);
                        LN(49) TrimNull(env, sText);
                        break;
                    case kRegExpandSz: {
                        LN(50) std::string sStored(Chars(abData), cbData);
                        LN(51) TrimNull(env, sStored);
                        // The buffer starts at the stored text's length with its NUL. An expansion
                        // that needs more (%ProgramFiles% and the like usually do) is expanded again
                        // into the size the call asks for, so the whole expanded text is given; if
                        // expanding fails altogether, the stored text is given unexpanded.
                        LN(52) sText.assign(sStored.size() + 1, '\0');
                        LN(53) Dword lNeeded = ExpandInto(system, sStored, sText);
                        LN(54) if (lNeeded > sText.size()) {
                            LN(55) sText.assign(lNeeded, '\0');
                            LN(56) lNeeded = ExpandInto(system, sStored, sText);
                        }
                        LN(57) if (lNeeded == 0 || lNeeded > sText.size()) sText = sStored;
                        LN(58) TrimNull(env, sText);
                        break;
                    }
                    case kRegMultiSz:
                        // Each string ends in a NUL and the list in one more: drop those at the
                        // end, and the NULs left stand between strings.
                        LN(59) sText.assign(Chars(abData), cbData);
                        LN(60) sText.erase(sText.find_last_not_of('\0') + 1);
                        LN(61) std::replace(sText.begin(), sText.end(), '\0', ',');
                        break;
                    default:
                        // REG_BINARY, and any other type as its raw bytes.
                        LN(62) sText = HexBytes(abData, cbData);
                        break;
                }
                LN(63) values.Add(sName, sText);
                // clang-format off
                LN(64) ++lIndex;
            }
        LN(65) } while (lResult == kErrorSuccess);
        // clang-format on
        LN(66) key.reset();
    });
    return values;
}

std::string TrimNull(Env& env, std::string& text) {
    std::string result;
    Guard(env, [&](int& erl) {
        LN(67) const std::string::size_type nul = text.find('\0');
        LN(68) if (nul != std::string::npos) text.erase(nul);
        LN(69) result = text;
    });
    return result;
}

}  // namespace zv::md_registry
