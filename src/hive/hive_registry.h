#pragma once
// The registry seam over the hive files of a Windows that is not running: each hive appears
// under HKEY_LOCAL_MACHINE by the name Windows loads it under (SYSTEM, DRIVERS), and
// SYSTEM\CurrentControlSet is the control set that SYSTEM's Select\Current names, as on the
// running Windows. Read-only: a key opens with any rights asked for (the driver list asks
// for full access), but every write answers access denied.
//
// Names and string data are UTF-16 in the file and ANSI at the seam, converted through the
// locale without best fit: a key or value whose name does not survive the trip unchanged is
// left out of its key's listing and cannot be opened (it is counted, for saying so), and
// string data that does not survive comes back with the code page's default character for
// each character lost ("?", never a look-alike; no file is named so).
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hive/hive_file.h"
#include "platform/locale.h"
#include "platform/registry.h"

namespace zv::hive {

class HiveRegistry : public IRegistry {
public:
    explicit HiveRegistry(ILocale& locale) : m_locale(locale) {}

    // Puts the hive at HKEY_LOCAL_MACHINE\name; the hive must outlive this object. For
    // "SYSTEM", reads Select\Current for CurrentControlSet.
    void Mount(const std::string& name, const HiveFile& hive);

    // Select\Current of the SYSTEM hive (0 when it has none or no SYSTEM is mounted), the
    // name of the control set it stands for, and whether the hive has that control set.
    [[nodiscard]] Dword currentControlSet() const { return m_current; }
    [[nodiscard]] std::string currentControlSetName() const;
    [[nodiscard]] bool hasCurrentControlSet() const { return m_currentSet != kNoCell; }
    // The keys and values left out of a listing so far because the code page cannot hold
    // their names unchanged, and the string values read so far with characters lost.
    [[nodiscard]] std::size_t droppedNames() const { return m_dropped.size(); }
    [[nodiscard]] std::size_t lossyTexts() const { return m_lossy.size(); }
    [[nodiscard]] std::size_t openHandles() const { return m_handles.size(); }

    Long OpenKeyEx(Hkey root, const std::string& subKey, Dword options, Dword samDesired,
                   Hkey* result) override;
    Long OpenKey(Hkey root, const std::string& subKey, Hkey* result) override;
    Long CreateKey(Hkey root, const std::string& subKey, Hkey* result) override;
    Long EnumKey(Hkey key, Dword index, char* name, Dword cchName) override;
    Long EnumValue(Hkey key, Dword index, char* valueName, Dword* cchValueName, Dword* type,
                   std::uint8_t* data, Dword* cbData) override;
    Long QueryValueEx(Hkey key, const std::string& valueName, Dword* type, std::uint8_t* data,
                      Dword* cbData) override;
    Long SetValueEx(Hkey key, const std::string& valueName, Dword type, const std::uint8_t* data,
                    Dword cbData) override;
    Long DeleteValue(Hkey key, const std::string& valueName) override;
    Long CloseKey(Hkey key) override;

private:
    // A place in the tree: HKEY_LOCAL_MACHINE itself (the mounts), another root (empty), or
    // a key of a mounted hive.
    struct Node {
        int mount = kLocalMachine;
        Cell cell = kNoCell;
    };
    static constexpr int kLocalMachine = -1;
    static constexpr int kEmptyRoot = -2;
    struct Named {
        std::string name;
        Cell cell = kNoCell;
    };
    struct Handle {
        Node node;
        bool listed = false;  // subkeys and values read once per handle
        std::vector<Named> subkeys;
        std::vector<Named> values;
    };
    struct Mounted {
        std::string name;
        const HiveFile* hive;
    };

    bool Resolve(Hkey key, Node* node);
    bool Walk(Node from, const std::string& path, Node* to);
    bool Step(const Node& from, const std::string& part, Node* to);
    Handle* HandleOf(Hkey key);
    void List(Handle& handle);
    bool IsSystemRoot(const Node& node) const;
    bool Narrow(const std::u16string& wide, std::string* ansi);
    [[nodiscard]] std::u16string Widen(const std::string& ansi);
    // The value's data as the "A" calls give it: string types in the code page.
    bool DataOf(const Node& node, Cell value, Dword* type, std::string* data);
    Cell FindValue(const Node& node, const std::string& name);
    Hkey NewHandle(const Node& node);

    ILocale& m_locale;
    std::vector<Mounted> m_mounts;
    std::map<Hkey, Handle> m_handles;
    std::uintptr_t m_next = 0x2000;
    Dword m_current = 0;
    Cell m_currentSet = kNoCell;
    int m_systemMount = kLocalMachine;
    std::set<std::pair<int, Cell>> m_dropped;
    std::set<std::pair<int, Cell>> m_lossy;
};

}  // namespace zv::hive
