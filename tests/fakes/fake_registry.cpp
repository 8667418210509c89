#include "fakes/fake_registry.h"

#include <algorithm>
#include <cstring>

#include "platform/registry_answers.h"
#include "support/runtime_error.h"

namespace zv::fakes {
namespace {

constexpr Dword kWriteRights = 0x0002 | 0x0004 | 0x0020 | 0x10000 | 0x40000 | 0x80000;
constexpr Dword kErrorInvalidParameter = 87;

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

struct FakeRegistry::Node {
    std::string name;
    Node* parent = nullptr;
    struct Value {
        std::string name;
        Dword type;
        std::vector<std::uint8_t> data;
    };
    std::vector<Value> values;  // creation order
    // Keyed by the upper-cased name: Windows keeps subkeys sorted that way.
    std::map<std::string, std::unique_ptr<Node>> children;

    Value* value(const std::string& n) {
        const std::string u = Upper(n);
        for (auto& v : values)
            if (Upper(v.name) == u) return &v;
        return nullptr;
    }
};

FakeRegistry::FakeRegistry() {
    for (Hkey root : {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers}) {
        auto node = std::make_unique<Node>();
        node->name = "";
        m_roots[root] = std::move(node);
    }
}

FakeRegistry::~FakeRegistry() = default;

FakeRegistry::Node* FakeRegistry::rootNode(Hkey root) const {
    auto it = m_roots.find(root);
    return it == m_roots.end() ? nullptr : it->second.get();
}

FakeRegistry::Node* FakeRegistry::resolve(Hkey key, Dword* access) const {
    if (Node* r = rootNode(key)) {
        if (access) *access = kKeyAllAccess;
        return r;
    }
    auto it = m_handles.find(key);
    if (it == m_handles.end()) return nullptr;
    if (access) *access = it->second.access;
    return it->second.node;
}

FakeRegistry::Node* FakeRegistry::find(Node* from, const std::string& path) const {
    Node* node = from;
    std::size_t start = 0;
    while (node && start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        if (!part.empty()) {
            auto it = node->children.find(Upper(part));
            node = it == node->children.end() ? nullptr : it->second.get();
        }
        start = end + 1;
    }
    return node;
}

FakeRegistry::Node* FakeRegistry::make(Node* from, const std::string& path) {
    Node* node = from;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        if (!part.empty()) {
            auto& slot = node->children[Upper(part)];
            if (!slot) {
                slot = std::make_unique<Node>();
                slot->name = part;
                slot->parent = node;
            }
            node = slot.get();
        }
        start = end + 1;
    }
    return node;
}

Hkey FakeRegistry::newHandle(Node* node, Dword access) {
    const Hkey h = m_next;
    m_next = Hkey{HandleValue(m_next) + 4};
    m_handles[h] = {node, access};
    return h;
}

void FakeRegistry::raiseOn(const std::string& call, int nth, Long number) {
    m_raise = Raise{call, nth, number};
}

void FakeRegistry::count(const char* call) {
    ++calls[call];
    if (m_raise.call != call || --m_raise.nth > 0) return;
    const Long number = m_raise.number;
    m_raise = Raise{};
    throw RuntimeError(number, DescriptionOf(number));
}

bool FakeRegistry::denied(const Node* node) const {
    for (const Node* n = node; n; n = n->parent)
        if (std::find(m_denied.begin(), m_denied.end(), n) != m_denied.end()) return true;
    return false;
}

Long FakeRegistry::OpenKeyEx(Hkey root, const std::string& subKey, Dword, Dword samDesired, Hkey* result) {
    count("OpenKeyEx");
    if (!result) return kErrorInvalidParameter;
    // The platform clears the out handle before it looks at anything else.
    *result = kNoKey;
    Node* from = resolve(root, nullptr);
    if (!from) return kErrorInvalidHandle;
    // A predefined root opened with no subkey comes back as itself, not as a new handle.
    if (subKey.empty() && rootNode(root)) {
        *result = root;
        return kErrorSuccess;
    }
    Node* node = find(from, subKey);
    if (!node) return kErrorFileNotFound;
    if ((samDesired & kWriteRights) && denied(node)) return kErrorAccessDenied;
    *result = newHandle(node, samDesired);
    return kErrorSuccess;
}

Long FakeRegistry::OpenKey(Hkey root, const std::string& subKey, Hkey* result) {
    count("OpenKey");
    if (!result) return kErrorInvalidParameter;
    // RegOpenKeyA hands back the very handle it was given for an empty name.
    if (subKey.empty()) {
        *result = root;
        return kErrorSuccess;
    }
    *result = kNoKey;
    Node* from = resolve(root, nullptr);
    if (!from) return kErrorInvalidHandle;
    Node* node = find(from, subKey);
    if (!node) return kErrorFileNotFound;
    // MAXIMUM_ALLOWED: whatever rights the caller has.
    *result = newHandle(node, denied(node) ? kKeyRead : kKeyAllAccess);
    return kErrorSuccess;
}

Long FakeRegistry::CreateKey(Hkey root, const std::string& subKey, Hkey* result) {
    count("CreateKey");
    Node* from = resolve(root, nullptr);
    if (!from) return kErrorInvalidHandle;
    if (denied(from)) return kErrorAccessDenied;
    *result = newHandle(make(from, subKey), kKeyAllAccess);
    return kErrorSuccess;
}

Long FakeRegistry::EnumKey(Hkey key, Dword index, char* name, Dword cchName) {
    count("EnumKey");
    Node* node = resolve(key, nullptr);
    if (!node) return kErrorInvalidHandle;
    if (index >= node->children.size()) return kErrorNoMoreItems;
    auto it = node->children.begin();
    std::advance(it, index);
    const std::string& n = it->second->name;
    if (n.size() + 1 > cchName) return kErrorMoreData;
    std::memcpy(name, n.c_str(), n.size() + 1);
    return kErrorSuccess;
}

Long FakeRegistry::EnumValue(Hkey key, Dword index, char* valueName, Dword* cchValueName, Dword* type,
                             std::uint8_t* data, Dword* cbData) {
    count("EnumValue");
    Node* node = resolve(key, nullptr);
    if (!node) return kErrorInvalidHandle;
    if (index >= node->values.size()) return kErrorNoMoreItems;
    const auto& v = node->values[index];
    return EnumValueAnswer(v.name, v.type, v.data.data(), static_cast<Dword>(v.data.size()), valueName,
                           cchValueName, type, data, cbData);
}

Long FakeRegistry::QueryValueEx(Hkey key, const std::string& valueName, Dword* type, std::uint8_t* data,
                                Dword* cbData) {
    count("QueryValueEx");
    Node* node = resolve(key, nullptr);
    if (!node) return kErrorInvalidHandle;
    if (data && !cbData) return kErrorInvalidParameter;
    const Node::Value* v = node->value(valueName);
    if (!v) return QueryValueAnswer(false, kRegNone, nullptr, 0, type, data, cbData);
    return QueryValueAnswer(true, v->type, v->data.data(), static_cast<Dword>(v->data.size()), type, data,
                            cbData);
}

Long FakeRegistry::SetValueEx(Hkey key, const std::string& valueName, Dword type, const std::uint8_t* data,
                              Dword cbData) {
    count("SetValueEx");
    Dword access = 0;
    Node* node = resolve(key, &access);
    if (!node) return kErrorInvalidHandle;
    if (!(access & 0x0002)) return kErrorAccessDenied;
    // As the platform does: a string whose count left out the NUL that follows it in memory
    // is stored with that NUL.
    if (IsStringType(type) && cbData > 0 && data[cbData - 1] != 0 && data[cbData] == 0) ++cbData;
    std::vector<std::uint8_t> bytes(data, data + cbData);
    if (auto* v = node->value(valueName)) {
        v->type = type;
        v->data = std::move(bytes);
    } else {
        node->values.push_back({valueName, type, std::move(bytes)});
    }
    return kErrorSuccess;
}

Long FakeRegistry::DeleteValue(Hkey key, const std::string& valueName) {
    count("DeleteValue");
    Dword access = 0;
    Node* node = resolve(key, &access);
    if (!node) return kErrorInvalidHandle;
    if (!(access & 0x0002)) return kErrorAccessDenied;
    const std::string u = Upper(valueName);
    auto it = std::find_if(node->values.begin(), node->values.end(),
                           [&](const Node::Value& v) { return Upper(v.name) == u; });
    if (it == node->values.end()) return kErrorFileNotFound;
    node->values.erase(it);
    return kErrorSuccess;
}

Long FakeRegistry::CloseKey(Hkey key) {
    count("CloseKey");
    if (rootNode(key)) return kErrorSuccess;
    return m_handles.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

void FakeRegistry::createKey(Hkey root, const std::string& path) {
    make(rootNode(root), path);
}

void FakeRegistry::setString(Hkey root, const std::string& path, const std::string& name,
                             const std::string& value) {
    std::vector<std::uint8_t> bytes(value.begin(), value.end());
    bytes.push_back(0);
    setRaw(root, path, name, kRegSz, bytes);
}

void FakeRegistry::setDword(Hkey root, const std::string& path, const std::string& name, Dword value) {
    std::vector<std::uint8_t> bytes(4);
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    setRaw(root, path, name, kRegDword, bytes);
}

void FakeRegistry::setRaw(Hkey root, const std::string& path, const std::string& name, Dword type,
                          const std::vector<std::uint8_t>& bytes) {
    Node* node = make(rootNode(root), path);
    if (auto* v = node->value(name)) {
        v->type = type;
        v->data = bytes;
    } else {
        node->values.push_back({name, type, bytes});
    }
}

void FakeRegistry::deleteKey(Hkey root, const std::string& path) {
    Node* node = find(rootNode(root), path);
    if (!node || !node->parent) return;
    for (auto it = m_handles.begin(); it != m_handles.end();) {
        bool below = false;
        for (const Node* n = it->second.node; n; n = n->parent)
            if (n == node) below = true;
        it = below ? m_handles.erase(it) : std::next(it);
    }
    node->parent->children.erase(Upper(node->name));
}

void FakeRegistry::denyWriteAccess(Hkey root, const std::string& path) {
    m_denied.push_back(make(rootNode(root), path));
}

bool FakeRegistry::keyExists(Hkey root, const std::string& path) const {
    return find(rootNode(root), path) != nullptr;
}

}  // namespace zv::fakes
