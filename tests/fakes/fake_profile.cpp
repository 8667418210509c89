#include "fakes/fake_profile.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "support/text.h"

namespace zv::fakes {
namespace {

struct Key {
    std::string name;
    std::optional<std::string> value;  // none: a line without "="
};

struct Section {
    std::optional<std::string> name;  // none: the lines before the first header
    std::vector<Key> keys;
};

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1a;
}

std::string Trim(const std::string& s) {
    std::size_t a = 0, b = s.size();
    while (a < b && Blank(s[a])) ++a;
    while (b > a && Blank(s[b - 1])) --b;
    return s.substr(a, b - a);
}

// Code points 0x80..0x9F of code page 1252; 0 where the code page has no character.
constexpr unsigned kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char ToAnsi(unsigned cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (unsigned i = 0; i < 32; ++i)
        if (kCp1252High[i] == cp) return static_cast<char>(0x80 + i);
    return '?';
}

std::vector<Section> Parse(const std::string& text) {
    std::vector<Section> sections(1);
    std::size_t pos = 0;
    bool previousBlank = false;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.find('\r', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (!line.empty() && line[0] == '[') {
            const std::size_t close = line.rfind(']');
            if (close != std::string::npos) {
                sections.push_back(Section{Trim(line.substr(1, close - 1)), {}});
                previousBlank = false;
                continue;
            }
        }
        const std::size_t eq = line.find('=');
        if (line.empty()) {
            // Consecutive blank lines collapse into one empty entry.
            if (previousBlank) continue;
            previousBlank = true;
            sections.back().keys.push_back(Key{"", std::nullopt});
            continue;
        }
        previousBlank = false;
        if (eq == std::string::npos)
            sections.back().keys.push_back(Key{line, std::nullopt});
        else
            sections.back().keys.push_back(Key{Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))});
    }
    return sections;
}

// The string read trims the name it is given; the section read does not.
const Section* FindSection(const std::vector<Section>& sections, const std::string& name, bool trim) {
    const std::string wanted = trim ? Trim(name) : name;
    for (const auto& s : sections)
        if (s.name && EqualsNoCase(*s.name, wanted)) return &s;
    return nullptr;
}

// lstrcpyn: at most size-1 characters and a NUL.
std::size_t CopyN(char* buffer, const std::string& text, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return n;
}

// The string read's copy: one pair of matching quotes goes, but only when the whole
// value fits; a cut value keeps its opening quote dropped and its tail.
std::size_t CopyValue(char* buffer, const std::string& value, std::size_t size) {
    std::string v = value;
    bool quoted = false;
    if (v.size() > 1 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) {
        quoted = true;
        v.erase(0, 1);
    }
    std::size_t n = CopyN(buffer, v, size);
    if (quoted && size >= v.size() && n > 0) buffer[--n] = 0;
    return n;
}

}  // namespace

std::string ProfileTextAsAnsi(const std::string& bytes) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    std::string out;
    if (bytes.size() >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
        const bool little = byte(0) == 0xFF;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            unsigned u = little ? (byte(i) | (byte(i + 1) << 8)) : ((byte(i) << 8) | byte(i + 1));
            if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
                i += 2;  // a surrogate pair is one character outside the code page
                u = 0x10000;
            }
            out += ToAnsi(u);
        }
        return out;
    }
    if (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
        for (std::size_t i = 3; i < bytes.size();) {
            unsigned c = byte(i), cp = c;
            std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            if (len > 1) cp = c & (0xFF >> (len + 1));
            for (std::size_t k = 1; k < len && i + k < bytes.size(); ++k)
                cp = (cp << 6) | (byte(i + k) & 0x3F);
            out += ToAnsi(cp);
            i += len;
        }
        return out;
    }
    return bytes;
}

Dword FakeProfile::GetPrivateProfileString(const std::string& section, const std::string& key,
                                           const std::string& defaultValue, char* buffer, Dword size,
                                           const std::string& fileName) {
    ++reads;
    if (size == 0) return 0;
    const std::string path =
        fileName.find_first_of("\\/") == std::string::npos ? m_windowsFolder + "\\" + fileName : fileName;
    std::optional<std::string> value;
    if (auto bytes = m_files.contents(path)) {
        const auto sections = Parse(ProfileTextAsAnsi(*bytes));
        if (const Section* s = FindSection(sections, section, true)) {
            const std::string wanted = Trim(key);
            for (const auto& k : s->keys)
                if (EqualsNoCase(k.name, wanted)) {
                    value = k.value;
                    break;
                }
        }
    }
    if (!value) {
        // The default loses its trailing blanks, then is copied as a value is.
        std::string d = defaultValue;
        while (!d.empty() && d.back() == ' ') d.pop_back();
        value = d;
    }
    return static_cast<Dword>(CopyValue(buffer, *value, size));
}

Dword FakeProfile::GetPrivateProfileSection(const std::string& section, char* buffer, Dword size,
                                            const std::string& fileName) {
    ++reads;
    if (size == 0) return 0xFFFFFFFEu;  // what the platform answers; nothing is written
    if (size == 1) {
        buffer[0] = 0;
        return 0;
    }
    const std::string path =
        fileName.find_first_of("\\/") == std::string::npos ? m_windowsFolder + "\\" + fileName : fileName;
    std::vector<const Key*> keys;
    std::vector<Section> sections;
    if (auto bytes = m_files.contents(path)) {
        sections = Parse(ProfileTextAsAnsi(*bytes));
        if (const Section* s = FindSection(sections, section, false))
            for (const auto& k : s->keys)
                if ((!k.name.empty() || k.value) && (k.name.empty() || k.name[0] != ';')) keys.push_back(&k);
    }
    // The platform's own fill: names and values cut to what is left, and a buffer that
    // fills up ends in two NULs with the count size-2, even when the last entry fitted.
    char* out = buffer;
    std::size_t left = size;
    for (const Key* k : keys) {
        if (left <= 2) break;
        std::size_t n = CopyN(out, k->name, left - 1);
        left -= n + 1;
        out += n + 1;
        if (left < 2) break;
        if (k->value) {
            out[-1] = '=';
            n = CopyN(out, *k->value, left - 1);
            left -= n + 1;
            out += n + 1;
        }
    }
    *out = 0;
    if (left <= 1) {
        out[-1] = 0;
        return size - 2;
    }
    if (out == buffer) buffer[1] = 0;
    return static_cast<Dword>(size - left);
}

}  // namespace zv::fakes
