#include "backup/remembered_profile.h"

#include <algorithm>
#include <cstring>

#include "support/text.h"

namespace zv::backup {
namespace {

// The name Windows gives the last part of a path: trailing dots and blanks dropped, and
// compared without regard to case. A short (8.3) alias or a name outside ASCII, where
// case folding depends on the code page, could name any file: "" stands for that.
std::string FileKey(const std::string& path) {
    std::string name = path.substr(path.find_last_of("\\/") + 1);
    const std::size_t last = name.find_last_not_of(". ");
    name.erase(last == std::string::npos ? 0 : last + 1);
    if (name.empty() || name.find('~') != std::string::npos ||
        std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return "";
    return ToLower(name);
}

}  // namespace

Dword RememberedProfile::GetPrivateProfileString(const std::string& section, const std::string& key,
                                                 const std::string& defaultValue, char* buffer, Dword size,
                                                 const std::string& fileName) {
    const Question question{fileName, section, key, size, defaultValue};
    std::map<Question, Answer>& answers = m_answers[FileKey(fileName)];
    if (const auto it = answers.find(question); it != answers.end()) {
        std::memcpy(buffer, it->second.bytes.data(), it->second.bytes.size());
        return it->second.count;
    }
    const Dword count = m_profile.GetPrivateProfileString(section, key, defaultValue, buffer, size, fileName);
    const std::size_t held = std::min<std::size_t>(std::size_t{count} + 1, size);
    answers[question] = Answer{count, std::string(buffer, held)};
    return count;
}

void RememberedProfile::written(const std::string& path) {
    const std::string key = FileKey(path);
    if (key.empty()) {
        m_answers.clear();
        return;
    }
    m_answers.erase(key);
    m_answers.erase("");  // files whose name could be any file's
}

}  // namespace zv::backup
