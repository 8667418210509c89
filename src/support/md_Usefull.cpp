#include "support/md_Usefull.h"

#include <cstdint>

#include "support/guard.h"
#include "support/registry_key.h"
#include "support/text.h"

namespace zv::md_Usefull {
namespace {

const std::uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const std::uint8_t*>(s.c_str());
}

// Left$(s, InStr(s, NUL) - 1): with no NUL to cut at the count is negative, a run-time failure.
std::string BeforeNul(const std::string& s) {
    const auto nul = s.find('\0');
    if (nul == std::string::npos) Raise(kErrInvalidCall);
    return s.substr(0, nul);
}

}  // namespace

void SaveString(Env& env, Hkey hKey, const std::string& strPath, const std::string& strValue,
                const std::string& strData) {
    Guard(env, [&](int& erl) {
        OpenedKey key = NoKeyOf(env.os.registry);
        Hkey& hCurKey = *key.put();
        // clang-format off
        LN(386) (void)env.os.registry.CreateKey(hKey, strPath, &hCurKey);
        LN(387) (void)env.os.registry.SetValueEx(hCurKey, strValue, kRegSz, Bytes(strData), static_cast<Dword>(strData.size()));
        LN(388) (void)env.os.registry.CloseKey(hCurKey);
        // clang-format on
        (void)key.release();  // closed just above; the owner covers a way out before it
    });
}

void DelSetting(Env& env, Hkey hKey, const std::string& strPath, const std::string& strValue) {
    Guard(env, [&](int& erl) {
        OpenedKey key = NoKeyOf(env.os.registry);
        Hkey& hCurKey = *key.put();
        // clang-format off
        LN(392) (void)env.os.registry.CreateKey(hKey, strPath, &hCurKey);
        LN(393) (void)env.os.registry.DeleteValue(hCurKey, strValue);
        LN(394) (void)env.os.registry.CloseKey(hCurKey);
        // clang-format on
        (void)key.release();  // closed just above; the owner covers a way out before it
    });
}

bool IsWebAddress(const std::string& Url) {
    std::size_t scheme = 0;
    if (EqualsNoCase(Url.substr(0, 7), "http://"))
        scheme = 7;
    else if (EqualsNoCase(Url.substr(0, 8), "https://"))
        scheme = 8;
    if (scheme == 0 || Url.size() == scheme) return false;
    // The shell would hand anything else to whatever program claims it (a file, a
    // script, another protocol); control characters and quotes could split the
    // browser's command line.
    for (unsigned char c : Url)
        if (c < 0x20 || c == 0x7F || c == '"') return false;
    return true;
}

void OpenInternet(Env& env, Hwnd Parent, const std::string& Url, int WindowStyle) {
    Guard(env, [&](int& erl) {
        if (!IsWebAddress(Url)) return;
        // clang-format off
        LN(395) (void)env.os.shell.ShellExecute(Parent, "Open", Url, "", "", WindowStyle);
        // clang-format on
    });
}

void SplitString(Env& env, const std::string& szString, const std::string& szChar,
                 std::vector<std::string>& szArray) {
    Guard(env, [&](int& erl) {
        // An empty separator would match everywhere; it splits nothing.
        auto find = [&](std::size_t from) {
            return szChar.empty() ? std::string::npos : szString.find(szChar, from);
        };
        LN(396) std::size_t n = 0;
        // Where the rest starts: the text is never copied piece by piece, so a text of many
        // separators splits in time proportional to its length.
        LN(397) std::size_t r = 0;
        LN(398) szArray.assign(1, std::string());
        LN(399) std::size_t p = find(r);
        LN(400) while (p != std::string::npos) {
            LN(401) szArray.resize(n + 2);
            LN(402) szArray[n] = szString.substr(r, p - r);
            // clang-format off
            LN(403) ++n;
            // clang-format on
            LN(404) r = p + szChar.size();
            LN(405) p = find(r);
        }
        LN(407) szArray.resize(n + 1);
        LN(408) szArray[n] = szString.substr(r);
    });
}

std::string RegQueryStringValue(Env& env, Hkey hKey, const std::string& strValueName) {
    std::string result;
    Guard(env, [&](int& erl) {
        IRegistry& reg = env.os.registry;
        Dword lValueType = 0;
        Dword lDataBufSize = 0;
        Dword scratchType = 0;
        LN(409) Long lResult = reg.QueryValueEx(hKey, strValueName, &lValueType, nullptr, &lDataBufSize);
        LN(410) if (lResult == kErrorSuccess) {
            LN(411) if (lValueType == kRegSz) {
                LN(412) std::string strBuf(lDataBufSize, '\0');
                LN(413)
                lResult = reg.QueryValueEx(hKey, strValueName, &scratchType,
                                           reinterpret_cast<std::uint8_t*>(strBuf.data()), &lDataBufSize);
                LN(414) if (lResult == kErrorSuccess) {
                    LN(415) result = BeforeNul(strBuf);
                }
                // clang-format off
            LN(416) } else if (lValueType == kRegBinary) {
                // clang-format on
                // Two bytes at most: the number is 16-bit, and a longer value must not
                // overrun it (it then reads as "").
                LN(417) std::uint8_t iData[2] = {0, 0};
                lDataBufSize = sizeof iData;
                LN(418) lResult = reg.QueryValueEx(hKey, strValueName, &scratchType, iData, &lDataBufSize);
                LN(419)
                if (lResult == kErrorSuccess)
                    result = std::to_string(static_cast<short>(iData[0] | (iData[1] << 8)));
            }
        }
    });
    return result;
}

std::string GetString(Env& env, Hkey hKey, const std::string& strPath, const std::string& strValue) {
    std::string result;
    Guard(env, [&](int& erl) {
        OpenedKey key = NoKeyOf(env.os.registry);
        Hkey& hCurKey = *key.put();
        // clang-format off
        LN(420) (void)env.os.registry.OpenKey(hKey, strPath, &hCurKey);
        LN(421) result = RegQueryStringValue(env, hCurKey, strValue);
        LN(422) (void)env.os.registry.CloseKey(hCurKey);
        // clang-format on
        (void)key.release();  // closed just above; the owner covers a way out before it
    });
    return result;
}

}  // namespace zv::md_Usefull
