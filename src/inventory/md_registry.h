#pragma once
// Read-only registry helpers the driver list rests on: one value of a key, the
// names of a key's subkeys, all values of a key as text.
#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/types.h"
#include "support/env.h"
#include "support/registry_key.h"

namespace zv::md_registry {

// Empty (nothing could be read), a text, or a signed 32-bit number.
using RegValue = std::variant<std::monostate, std::string, std::int32_t>;

// The value as callers compare it with text: the number in decimal, empty as "".
[[nodiscard]] std::string ValueText(const RegValue& value);

// Keys kept open across reads, so that a run reading many values (the driver list
// reads five per driver) reaches them through an open key instead of opening the
// whole path from the root for each value. A path below a key held here is opened
// relative to it. Keys are opened for reading only and closed when this goes.
class OpenKeys {
public:
    explicit OpenKeys(IRegistry& registry) : m_registry(registry) {}
    ~OpenKeys();
    OpenKeys(const OpenKeys&) = delete;
    OpenKeys& operator=(const OpenKeys&) = delete;

    // Opens root\path and keeps it for the life of this object (the parent of many reads).
    void Keep(Hkey root, const std::string& path);
    // The open key for root\path, or 0 when it cannot be opened (the reads through it
    // then fail, as after a failed open). Stays open until a few other keys were asked for.
    [[nodiscard]] Hkey Open(Hkey root, const std::string& path);

private:
    struct Entry {
        Hkey root;
        std::string path;
        OpenedKey key;
    };
    OpenedKey OpenBelow(Hkey root, const std::string& path);

    IRegistry& m_registry;
    std::vector<Entry> m_kept;
    std::vector<Entry> m_recent;  // most recent last
};

// One value of root\path; the empty name reads the key's default value. A missing
// key or value, or a type other than REG_SZ and REG_DWORD, reads as empty, silently.
// With keys, the key comes from them (and stays open there) instead of being opened
// and closed for this one read.
[[nodiscard]] RegValue ReadKey(Env& env, Hkey root, const std::string& path, const std::string& name,
                               OpenKeys* keys = nullptr);

// Reads a REG_SZ or REG_DWORD value of an open key into value. Returns the status of
// the last query, or -1 for a type it does not read; reports nothing.
Long QueryValueEx(Env& env, Hkey key, const std::string& valueName, RegValue& value);

// The subkey names of root\path in the platform's order, up to the first one that
// does not fit into 64 bytes. Shows "Cannot Open Key" when the key cannot be
// opened with full access.
[[nodiscard]] std::vector<std::string> ListKey(Env& env, Hkey root, const std::string& path);

// All values of a key as (name, text) pairs in enumeration order, looked up by
// name without regard to case, as value names are.
class RegistryValues {
public:
    using Item = std::pair<std::string, std::string>;

    void Add(std::string name, std::string text);
    // The text of the named value, or null when there is none.
    [[nodiscard]] const std::string* Find(const std::string& name) const;
    [[nodiscard]] std::size_t size() const noexcept { return m_items.size(); }
    [[nodiscard]] bool empty() const noexcept { return m_items.empty(); }
    [[nodiscard]] const Item& operator[](std::size_t i) const { return m_items.at(i); }
    [[nodiscard]] auto begin() const noexcept { return m_items.begin(); }
    [[nodiscard]] auto end() const noexcept { return m_items.end(); }

private:
    std::vector<Item> m_items;
};

// The values of root\path (of root itself for an empty path); empty when the key
// cannot be opened.
[[nodiscard]] RegistryValues EnumRegistryValues(Env& env, Hkey root, const std::string& path);

// Cuts text before its first NUL, stores the result back and returns it.
std::string TrimNull(Env& env, std::string& text);

}  // namespace zv::md_registry
