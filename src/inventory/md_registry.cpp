#include "inventory/md_registry.h"

#include "support/vbrt.h"

namespace zv::md_registry {

std::string ValueText(const RegValue& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return *s;
    if (const auto* n = std::get_if<std::int32_t>(&value)) return std::to_string(*n);
    return "";
}

void RegistryValues::Add(std::string name, std::string text) {
    m_items.emplace_back(std::move(name), std::move(text));
}

const std::string* RegistryValues::Find(const std::string& name) const {
    for (const auto& item : m_items)
        if (EqualsNoCase(item.first, name)) return &item.second;
    return nullptr;
}

RegValue ReadKey(Env&, Hkey, const std::string&, const std::string&) { return {}; }

Long QueryValueEx(Env&, Hkey, const std::string&, RegValue&) { return -1; }

std::vector<std::string> ListKey(Env&, Hkey, const std::string&) { return {}; }

RegistryValues EnumRegistryValues(Env&, Hkey, const std::string&) { return {}; }

std::string TrimNull(Env&, std::string& text) { return text; }

}  // namespace zv::md_registry
