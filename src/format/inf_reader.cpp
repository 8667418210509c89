#include "format/inf_reader.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "support/redirection.h"

namespace zv {
namespace {

// Far above any real INF (the largest, of display drivers, hold a few megabytes).
constexpr std::uint64_t kInfLimit = 64u << 20;
constexpr char kStrings[] = "strings";

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

template <class Ch>
bool IsBlank(Ch c) {
    return c == ' ' || c == '\t';
}

template <class Ch>
bool IsLineEnd(Ch c) {
    return c == '\r' || c == '\n';
}

// Splits INF text into sections and lines, quotes removed and blanks trimmed; each text
// goes through convert into the ANSI code page. Strings are substituted afterwards, once
// [Strings] is known (it usually comes last). Unicode files are split before they are
// converted: in a double-byte code page a character's second byte can be a "\". ANSI
// files are split byte by byte, which is right for the single-byte code pages.
template <class Ch, class Convert>
void Split(std::basic_string_view<Ch> text, Convert convert,
           std::map<std::string, std::vector<InfLine>>& out) {
    using Text = std::basic_string<Ch>;
    const std::size_t n = text.size();
    std::size_t i = 0;
    auto skipLineEnd = [&] {
        if (i < n && text[i] == '\r') ++i;
        if (i < n && text[i] == '\n') ++i;
    };
    auto skipRestOfLine = [&] {
        while (i < n && !IsLineEnd(text[i])) ++i;
        skipLineEnd();
    };
    std::vector<InfLine>* section = nullptr;  // lines before the first section belong to none
    while (i < n) {
        while (i < n && IsBlank(text[i])) ++i;
        if (i == n || text[i] == 0x1A) break;  // Ctrl+Z: the end of an old DOS text file
        if (text[i] == '[') {
            std::size_t close = i + 1;
            while (close < n && text[close] != ']' && !IsLineEnd(text[close])) ++close;
            section = nullptr;  // a header without its "]" opens no section
            if (close < n && text[close] == ']') {
                std::size_t first = i + 1, last = close;
                while (first < last && IsBlank(text[first])) ++first;
                while (last > first && IsBlank(text[last - 1])) --last;
                section = &out[Lower(convert(Text(text.substr(first, last - first))))];
            }
            i = close;
            skipRestOfLine();
            continue;
        }
        InfLine line;
        Text field, blanks;  // blanks seen after the field's text: kept only if more text follows
        bool started = false, quoted = false, any = false;
        auto addChar = [&](Ch c) {
            field += blanks;
            blanks.clear();
            field += c;
            started = any = true;
        };
        auto nextField = [&] {
            line.fields.push_back(convert(field));
            field.clear();
            blanks.clear();
            started = false;
        };
        while (i < n) {
            const Ch c = text[i];
            if (quoted) {
                if (c == '"') {
                    ++i;
                    if (i < n && text[i] == '"') {
                        addChar(c);
                        ++i;
                    } else {
                        quoted = false;
                    }
                } else if (IsLineEnd(c)) {
                    quoted = false;  // an unclosed quote ends with its line
                } else {
                    addChar(c);
                    ++i;
                }
                continue;
            }
            if (IsLineEnd(c) || c == 0x1A) break;
            if (c == ';') {
                while (i < n && !IsLineEnd(text[i])) ++i;
                break;
            }
            if (c == '\\') {
                std::size_t k = i + 1;
                while (k < n && IsBlank(text[k])) ++k;
                if (k == n || IsLineEnd(text[k]) || text[k] == ';') {
                    // The line goes on in the next one, whose leading blanks do not count.
                    i = k;
                    skipRestOfLine();
                    while (i < n && IsBlank(text[i])) ++i;
                    continue;
                }
            }
            ++i;
            if (c == '"') {
                field += blanks;
                blanks.clear();
                quoted = started = any = true;
            } else if (c == '=' && !line.hasKey && line.fields.empty()) {
                line.hasKey = true;
                line.key = convert(field);
                field.clear();
                blanks.clear();
                started = false;
            } else if (c == ',') {
                nextField();
                any = true;
            } else if (IsBlank(c)) {
                if (started) blanks += c;
            } else if (c != 0) {
                addChar(c);
            }
        }
        if (started || !line.fields.empty()) nextField();
        skipLineEnd();
        if ((any || line.hasKey) && section) section->push_back(std::move(line));
    }
}

std::string Identity(const std::string& s) {
    return s;
}

// The UTF-16 code units of UTF-8 text; a malformed or overlong sequence (which could
// hide a "\" or a "." from a check) gives U+FFFD.
std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        bool ok = len != 0 && i + len <= s.size();
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            ok = (d >> 6) == 2;
            cp = (cp << 6) | (d & 0x3F);
        }
        constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok) ok = cp >= kLeast[len] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        if (!ok) {
            out += u'\xFFFD';
            ++i;
            continue;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Substitute(const std::string& s, const std::map<std::string, std::string>& strings) {
    if (s.find('%') == std::string::npos) return s;
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t close = s[i] == '%' ? s.find('%', i + 1) : std::string::npos;
        if (close == std::string::npos) {
            out += s[i++];
        } else if (close == i + 1) {
            out += '%';
            i = close + 1;
        } else {
            const auto it = strings.find(Lower(s.substr(i + 1, close - i - 1)));
            // A key [Strings] does not hold stays as it is written.
            out += it != strings.end() ? it->second : s.substr(i, close - i + 1);
            i = close + 1;
        }
    }
    return out;
}

}  // namespace

std::string InfLine::name() const {
    if (hasKey) return key;
    return fields.empty() ? std::string() : fields.front();
}

const std::vector<InfLine>& InfFile::lines(const std::string& section) const {
    static const std::vector<InfLine> kNone;
    const auto it = m_sections.find(Lower(section));
    return it == m_sections.end() ? kNone : it->second;
}

bool InfFile::hasSection(const std::string& section) const {
    return m_sections.count(Lower(section)) != 0;
}

std::string InfFile::value(const std::string& section, const std::string& key) const {
    const std::string wanted = Lower(key);
    for (const InfLine& line : lines(section))
        if (line.hasKey && Lower(line.key) == wanted) return line.fields.empty() ? "" : line.fields.front();
    return "";
}

std::vector<std::string> InfFile::names(const std::string& section) const {
    std::vector<std::string> out;
    for (const InfLine& line : lines(section))
        if (std::string name = line.name(); !name.empty()) out.push_back(std::move(name));
    return out;
}

InfFile ParseInf(const std::string& bytes, ILocale& locale) {
    InfFile inf;
    const auto unicode = [&](const std::u16string& text) {
        Split<char16_t>(
            text,
            [&](const std::u16string& t) {
                if (std::all_of(t.begin(), t.end(), [](char16_t c) { return c < 0x80; }))
                    return std::string(t.begin(), t.end());
                // A name the code page cannot hold keeps "?" in its place: no file has such a
                // name, so it is reported "not found", never looked for as a look-alike.
                std::string ansi;
                (void)locale.Utf16ToAnsi(t, &ansi);
                return ansi;
            },
            inf.m_sections);
    };
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        std::u16string text;
        text.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8);
        unicode(text);
    } else if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        unicode(Utf8ToUtf16(std::string_view(bytes).substr(3)));
    } else {
        Split<char>(bytes, Identity, inf.m_sections);
    }

    std::map<std::string, std::string> strings;
    for (const InfLine& line : inf.lines(kStrings))
        if (line.hasKey) strings.try_emplace(Lower(line.key), line.fields.empty() ? "" : line.fields.front());
    for (auto& [name, lines] : inf.m_sections) {
        if (name == kStrings) continue;
        for (InfLine& line : lines) {
            line.key = Substitute(line.key, strings);
            for (std::string& f : line.fields) f = Substitute(f, strings);
        }
    }
    return inf;
}

bool ReadInf(Env& env, const std::string& path, InfFile* inf, Dword* error) {
    std::string bytes;
    {
        RedirectionOff off(env.os.files);
        if (!env.os.data.ReadWholeFile(path, kInfLimit, &bytes)) {
            if (error) *error = env.os.data.GetLastError();
            return false;
        }
    }
    *inf = ParseInf(bytes, env.os.locale);
    return true;
}

std::string CatalogFileOf(const InfFile& inf, const std::string& arch) {
    for (const std::string& key :
         {"CatalogFile.NT" + arch, std::string("CatalogFile.NT"), std::string("CatalogFile")})
        if (std::string name = inf.value("Version", key); !name.empty()) return name;
    return "";
}

std::vector<std::string> SourceDisksFilesOf(const InfFile& inf, const std::string& arch) {
    std::vector<std::string> out;
    std::set<std::string> seen;  // lower case
    for (const std::string& section : {std::string("SourceDisksFiles"), "SourceDisksFiles." + arch})
        for (const std::string& name : inf.names(section))
            if (seen.insert(Lower(name)).second) out.push_back(name);
    return out;
}

}  // namespace zv
