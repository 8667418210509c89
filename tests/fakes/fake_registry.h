#pragma once
// An in-memory registry that answers as RegXxxA do: case-insensitive names,
// subkeys enumerated in sorted order, values in creation order (as Windows;
// Wine sorts them), the platform's status codes for missing keys, short buffers
// and bad handles. tests/contract holds the cases it shares with the real one.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace zv::fakes {

class FakeRegistry : public IRegistry {
public:
    FakeRegistry();
    ~FakeRegistry() override;

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

    // Test set-up, outside the seam.
    void createKey(Hkey root, const std::string& path);
    void setString(Hkey root, const std::string& path, const std::string& name, const std::string& value);
    void setDword(Hkey root, const std::string& path, const std::string& name, Dword value);
    void setRaw(Hkey root, const std::string& path, const std::string& name, Dword type,
                const std::vector<std::uint8_t>& bytes);
    void deleteKey(Hkey root, const std::string& path);
    // Opening this key (and keys below it) with any write right fails with access denied,
    // as for a user without administrator rights.
    void denyWriteAccess(Hkey root, const std::string& path);
    [[nodiscard]] bool keyExists(Hkey root, const std::string& path) const;
    [[nodiscard]] std::size_t openHandles() const { return m_handles.size(); }
    // Counts of the calls made through the seam, by name ("OpenKeyEx", ...).
    std::map<std::string, int> calls;
    // The nth call of that name from now on (1: the next) raises the run-time error instead
    // of answering, once, so that a caller's failure path really runs.
    void raiseOn(const std::string& call, int nth, Long number);

    struct Node;

private:
    struct Open {
        Node* node;
        Dword access;
    };
    Node* rootNode(Hkey root) const;
    Node* resolve(Hkey key, Dword* access) const;
    Node* find(Node* from, const std::string& path) const;
    Node* make(Node* from, const std::string& path);
    Hkey newHandle(Node* node, Dword access);
    bool denied(const Node* node) const;
    void count(const char* call);

    std::map<Hkey, std::unique_ptr<Node>> m_roots;
    std::map<Hkey, Open> m_handles;
    std::vector<const Node*> m_denied;
    Hkey m_next = Hkey{0x1000};
    struct Raise {
        std::string call;
        int nth = 0;
        Long number = 0;
    };
    Raise m_raise;
};

}  // namespace zv::fakes
