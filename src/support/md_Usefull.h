#pragma once
// The settings store on the registry, the web-address launcher and the text
// splitter that the start-up checks use.
#include <string>
#include <vector>

#include "support/env.h"

namespace zv::md_Usefull {

// Show commands handed to the shell.
inline constexpr int Normal = kSwShowNormal;
inline constexpr int ShowOnly = kSwShow;

// The stored text, or "" when the key or the value is missing or unreadable.
[[nodiscard]] std::string GetString(Env& env, Hkey hKey, const std::string& strPath,
                                    const std::string& strValue);
// Stores strData as REG_SZ, creating the key when it is missing.
void SaveString(Env& env, Hkey hKey, const std::string& strPath, const std::string& strValue,
                const std::string& strData);
// Removes the value; the key is created when it is missing.
void DelSetting(Env& env, Hkey hKey, const std::string& strPath, const std::string& strValue);
// A REG_SZ value's text, a REG_BINARY value as a 16-bit number, else "".
[[nodiscard]] std::string RegQueryStringValue(Env& env, Hkey hKey, const std::string& strValueName);

// True for an address that the launcher hands to the shell.
[[nodiscard]] bool IsWebAddress(const std::string& Url);
// Hands a web address to the default browser, without waiting. Anything that is
// not an http or https address is not opened.
void OpenInternet(Env& env, Hwnd Parent, const std::string& Url, int WindowStyle);

// Splits szString at every szChar into szArray (zero-based), keeping empty pieces.
void SplitString(Env& env, const std::string& szString, const std::string& szChar,
                 std::vector<std::string>& szArray);

}  // namespace zv::md_Usefull
