#include "hive/hive_registry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/registry_answers.h"

namespace zv::hive {
namespace {

constexpr Long kErrorInvalidParameter = 87;

// The names this class itself gives (the mounts, CurrentControlSet) are ASCII.
bool SameAscii(const std::string& a, const std::string& b) {
    const auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return up(x) == up(y); });
}

bool SortsBefore(const std::string& a, const std::string& b) {
    const auto up = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 0x20 : c; };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return up(x) < up(y); });
}

std::u16string FromUtf8(const std::string& text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int extra = c < 0x80             ? 0
                          : (c & 0xE0) == 0xC0 ? 1
                          : (c & 0xF0) == 0xE0 ? 2
                          : (c & 0xF8) == 0xF0 ? 3
                                               : -1;
        if (extra < 0 || (extra > 0 && i + extra >= text.size())) return {};
        std::uint32_t code = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return {};
            code = (code << 6) | (next & 0x3F);
        }
        i += extra + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

}  // namespace

void HiveRegistry::Mount(const std::string& name, const HiveFile& hive) {
    m_mounts.push_back({name, &hive});
    if (!SameAscii(name, "SYSTEM")) return;
    m_systemMount = static_cast<int>(m_mounts.size() - 1);
    m_current = 0;
    m_currentSet = kNoCell;
    const Cell select = hive.FindSubkey(hive.root(), u"Select");
    if (select == kNoCell) return;
    std::vector<Cell> values;
    (void)hive.Values(select, &values);
    std::u16string valueName;
    for (Cell v : values) {
        std::uint32_t type = 0;
        std::string data;
        if (!hive.ValueName(v, &valueName) || !HiveFile::SameName(valueName, u"Current")) continue;
        if (!hive.ValueData(v, &type, &data) || type != kRegDword || data.size() != 4) return;
        std::memcpy(&m_current, data.data(), 4);
        break;
    }
    if (m_current == 0 || m_current > 999) return;
    m_currentSet = hive.FindSubkey(hive.root(), FromUtf8(currentControlSetName()));
}

std::string HiveRegistry::currentControlSetName() const {
    if (m_current == 0) return {};
    char name[32];
    std::snprintf(name, sizeof name, "ControlSet%03u", static_cast<unsigned>(m_current));
    return name;
}

bool HiveRegistry::IsSystemRoot(const Node& node) const {
    return node.mount >= 0 && node.mount == m_systemMount && node.cell == m_mounts[node.mount].hive->root();
}

std::u16string HiveRegistry::Widen(const std::string& ansi) {
    return FromUtf8(m_locale.AnsiToUtf8(ansi));
}

bool HiveRegistry::Narrow(const std::u16string& wide, std::string* ansi) {
    return m_locale.Utf16ToAnsi(wide, ansi);
}

HiveRegistry::Handle* HiveRegistry::HandleOf(Hkey key) {
    auto it = m_handles.find(key);
    return it == m_handles.end() ? nullptr : &it->second;
}

bool HiveRegistry::Resolve(Hkey key, Node* node) {
    if (key == kHkeyLocalMachine) {
        *node = Node{kLocalMachine, kNoCell};
        return true;
    }
    if (key == kHkeyClassesRoot || key == kHkeyCurrentUser || key == kHkeyUsers) {
        *node = Node{kEmptyRoot, kNoCell};
        return true;
    }
    if (Handle* h = HandleOf(key)) {
        *node = h->node;
        return true;
    }
    return false;
}

bool HiveRegistry::Step(const Node& from, const std::string& part, Node* to) {
    if (from.mount == kEmptyRoot) return false;
    if (from.mount == kLocalMachine) {
        for (std::size_t i = 0; i < m_mounts.size(); ++i) {
            if (!SameAscii(m_mounts[i].name, part)) continue;
            *to = Node{static_cast<int>(i), m_mounts[i].hive->root()};
            return true;
        }
        return false;
    }
    if (IsSystemRoot(from) && SameAscii(part, "CurrentControlSet")) {
        if (m_currentSet == kNoCell) return false;
        *to = Node{from.mount, m_currentSet};
        return true;
    }
    const std::u16string wide = Widen(part);
    if (wide.empty()) return false;
    const Cell cell = m_mounts[from.mount].hive->FindSubkey(from.cell, wide);
    if (cell == kNoCell) return false;
    // A key whose name the code page cannot hold is not listed, so it does not open either:
    // what opens is what EnumKey shows.
    std::u16string found;
    std::string ansi;
    if (!m_mounts[from.mount].hive->KeyName(cell, &found) || !Narrow(found, &ansi)) return false;
    *to = Node{from.mount, cell};
    return true;
}

bool HiveRegistry::Walk(Node from, const std::string& path, Node* to) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start && !Step(from, path.substr(start, end - start), &from)) return false;
        start = end + 1;
    }
    *to = from;
    return true;
}

Hkey HiveRegistry::NewHandle(const Node& node) {
    const Hkey h{m_next};
    m_next += 4;
    m_handles[h].node = node;
    return h;
}

Long HiveRegistry::OpenKeyEx(Hkey root, const std::string& subKey, Dword, Dword, Hkey* result) {
    if (!result) return kErrorInvalidParameter;
    *result = kNoKey;
    Node from;
    if (!Resolve(root, &from)) return kErrorInvalidHandle;
    if (subKey.empty() && !HandleOf(root)) {
        *result = root;
        return kErrorSuccess;
    }
    Node to;
    if (!Walk(from, subKey, &to)) return kErrorFileNotFound;
    *result = NewHandle(to);
    return kErrorSuccess;
}

Long HiveRegistry::OpenKey(Hkey root, const std::string& subKey, Hkey* result) {
    if (!result) return kErrorInvalidParameter;
    if (subKey.empty()) {
        *result = root;
        return kErrorSuccess;
    }
    return OpenKeyEx(root, subKey, 0, kKeyRead, result);
}

Long HiveRegistry::CreateKey(Hkey root, const std::string&, Hkey* result) {
    if (result) *result = kNoKey;
    Node from;
    if (!Resolve(root, &from)) return kErrorInvalidHandle;
    return kErrorAccessDenied;
}

void HiveRegistry::List(Handle& handle) {
    if (handle.listed) return;
    handle.listed = true;
    const Node& node = handle.node;
    if (node.mount == kLocalMachine) {
        for (const Mounted& m : m_mounts) handle.subkeys.push_back({m.name, kNoCell});
        std::sort(handle.subkeys.begin(), handle.subkeys.end(),
                  [](const Named& a, const Named& b) { return SortsBefore(a.name, b.name); });
    } else if (node.mount >= 0) {
        const HiveFile& hive = *m_mounts[node.mount].hive;
        std::vector<Cell> cells;
        (void)hive.Subkeys(node.cell, &cells);
        std::u16string wide;
        for (Cell c : cells) {
            Named named{{}, c};
            if (!hive.KeyName(c, &wide)) continue;
            if (!Narrow(wide, &named.name)) {
                m_dropped.insert({node.mount, c});
                continue;
            }
            handle.subkeys.push_back(std::move(named));
        }
        // The hive's own order is Windows' order; CurrentControlSet takes its place in it.
        if (IsSystemRoot(node) && m_currentSet != kNoCell) {
            const Named link{"CurrentControlSet", m_currentSet};
            const auto at = std::find_if(handle.subkeys.begin(), handle.subkeys.end(),
                                         [&](const Named& n) { return SortsBefore(link.name, n.name); });
            handle.subkeys.insert(at, link);
        }
        (void)hive.Values(node.cell, &cells);
        for (Cell c : cells) {
            Named named{{}, c};
            if (!hive.ValueName(c, &wide)) continue;
            if (!Narrow(wide, &named.name)) {
                m_dropped.insert({node.mount, c});
                continue;
            }
            handle.values.push_back(std::move(named));
        }
    }
}

Long HiveRegistry::EnumKey(Hkey key, Dword index, char* name, Dword cchName) {
    Node node;
    if (!Resolve(key, &node)) return kErrorInvalidHandle;
    Handle* h = HandleOf(key);
    Handle scratch;
    scratch.node = node;
    Handle& handle = h ? *h : scratch;
    List(handle);
    if (index >= handle.subkeys.size()) return kErrorNoMoreItems;
    const std::string& n = handle.subkeys[index].name;
    if (n.size() + 1 > cchName) return kErrorMoreData;
    std::memcpy(name, n.c_str(), n.size() + 1);
    return kErrorSuccess;
}

bool HiveRegistry::DataOf(const Node& node, Cell value, Dword* type, std::string* data) {
    std::string raw;
    if (!m_mounts[node.mount].hive->ValueData(value, type, &raw)) return false;
    if (!IsStringType(*type)) {
        *data = std::move(raw);
        return true;
    }
    // Each string of the value on its own: the NULs between them stay where they are.
    data->clear();
    std::u16string piece;
    std::string ansi;
    bool lossy = false;
    const auto flush = [&] {
        if (!Narrow(piece, &ansi)) lossy = true;
        *data += ansi;
        piece.clear();
    };
    for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(raw[i]) |
                                                (static_cast<unsigned char>(raw[i + 1]) << 8));
        if (unit == 0) {
            flush();
            *data += '\0';
        } else {
            piece.push_back(unit);
        }
    }
    if (!piece.empty()) flush();
    if (lossy) m_lossy.insert({node.mount, value});
    return true;
}

Long HiveRegistry::EnumValue(Hkey key, Dword index, char* valueName, Dword* cchValueName, Dword* type,
                             std::uint8_t* data, Dword* cbData) {
    Node node;
    if (!Resolve(key, &node)) return kErrorInvalidHandle;
    if (!cchValueName) return kErrorInvalidParameter;
    Handle* h = HandleOf(key);
    Handle scratch;
    scratch.node = node;
    Handle& handle = h ? *h : scratch;
    List(handle);
    if (index >= handle.values.size()) return kErrorNoMoreItems;
    const Named& v = handle.values[index];
    Dword storedType = kRegNone;
    std::string bytes;
    // A value whose data is damaged is listed with none, rather than ending the listing.
    if (!DataOf(node, v.cell, &storedType, &bytes)) bytes.clear();
    return EnumValueAnswer(v.name, storedType, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           static_cast<Dword>(bytes.size()), valueName, cchValueName, type, data, cbData);
}

Cell HiveRegistry::FindValue(const Node& node, const std::string& name) {
    if (node.mount < 0) return kNoCell;
    const HiveFile& hive = *m_mounts[node.mount].hive;
    const std::u16string wide = Widen(name);
    if (wide.empty() && !name.empty()) return kNoCell;
    std::vector<Cell> values;
    (void)hive.Values(node.cell, &values);
    std::u16string candidate;
    std::string ansi;
    for (Cell v : values)
        if (hive.ValueName(v, &candidate) && HiveFile::SameName(candidate, wide) && Narrow(candidate, &ansi))
            return v;
    return kNoCell;
}

Long HiveRegistry::QueryValueEx(Hkey key, const std::string& valueName, Dword* type, std::uint8_t* data,
                                Dword* cbData) {
    Node node;
    if (!Resolve(key, &node)) return kErrorInvalidHandle;
    if (data && !cbData) return kErrorInvalidParameter;
    const Cell value = FindValue(node, valueName);
    Dword storedType = kRegNone;
    std::string bytes;
    const bool found = value != kNoCell && DataOf(node, value, &storedType, &bytes);
    return QueryValueAnswer(found, storedType, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                            static_cast<Dword>(bytes.size()), type, data, cbData);
}

Long HiveRegistry::SetValueEx(Hkey key, const std::string&, Dword, const std::uint8_t*, Dword) {
    Node node;
    return Resolve(key, &node) ? kErrorAccessDenied : kErrorInvalidHandle;
}

Long HiveRegistry::DeleteValue(Hkey key, const std::string&) {
    Node node;
    return Resolve(key, &node) ? kErrorAccessDenied : kErrorInvalidHandle;
}

Long HiveRegistry::CloseKey(Hkey key) {
    if (key == kHkeyLocalMachine || key == kHkeyClassesRoot || key == kHkeyCurrentUser || key == kHkeyUsers)
        return kErrorSuccess;
    return m_handles.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace zv::hive
