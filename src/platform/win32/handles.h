#pragma once
// The one place where the platform's handles turn into the seam's handle types and back.
// The seam's types hold the pointer's bits unchanged, so a handle survives the round trip
// on both targets.
#include <windows.h>

#include <wininet.h>

#include <cstdint>

#include "platform/filesystem.h"
#include "platform/types.h"

namespace zv::win32 {

static_assert(sizeof(HKEY) == sizeof(Hkey) && sizeof(HINTERNET) == sizeof(Hinternet) &&
                  sizeof(HWND) == sizeof(Hwnd) && sizeof(HANDLE) == sizeof(Hfile),
              "a handle must cross the seam without losing its upper half on 64-bit Windows");
static_assert(sizeof(DWORD) == sizeof(Dword) && sizeof(LONG) == sizeof(Long),
              "DWORD and LONG stay 32-bit on both targets");
// The SDK defines the roots as ((HKEY)(ULONG_PTR)((LONG)0x80000002)) and so on: sign-extended
// to 0xFFFFFFFF80000002 on 64-bit. A zero-extended value would name no key at all there.
static_assert(HandleValue(kHkeyLocalMachine) == static_cast<ULONG_PTR>(static_cast<LONG>(0x80000002)) &&
                  HandleValue(kHkeyCurrentUser) == static_cast<ULONG_PTR>(static_cast<LONG>(0x80000001)) &&
                  HandleValue(kHkeyClassesRoot) == static_cast<ULONG_PTR>(static_cast<LONG>(0x80000000)) &&
                  HandleValue(kHkeyUsers) == static_cast<ULONG_PTR>(static_cast<LONG>(0x80000003)),
              "predefined registry roots as the SDK defines them");
// INVALID_HANDLE_VALUE is ((HANDLE)(LONG_PTR)-1): every bit set, whatever the pointer size.
static_assert(HandleValue(kInvalidHfile) == static_cast<ULONG_PTR>(static_cast<LONG_PTR>(-1)),
              "the invalid file handle is INVALID_HANDLE_VALUE");

template <class Native>
[[nodiscard]] inline std::uintptr_t Bits(Native h) noexcept {
    return reinterpret_cast<std::uintptr_t>(h);
}

[[nodiscard]] inline HKEY ToNative(Hkey h) noexcept {
    return reinterpret_cast<HKEY>(HandleValue(h));
}
[[nodiscard]] inline HWND ToNative(Hwnd h) noexcept {
    return reinterpret_cast<HWND>(HandleValue(h));
}
[[nodiscard]] inline HANDLE ToNative(Hfile h) noexcept {
    return reinterpret_cast<HANDLE>(HandleValue(h));
}
[[nodiscard]] inline HINTERNET ToNative(Hinternet h) noexcept {
    return reinterpret_cast<HINTERNET>(HandleValue(h));
}

[[nodiscard]] inline Hkey FromNative(HKEY h) noexcept {
    return Hkey{Bits(h)};
}
[[nodiscard]] inline Hwnd FromNative(HWND h) noexcept {
    return Hwnd{Bits(h)};
}
[[nodiscard]] inline Hfile FromNative(HANDLE h) noexcept {
    return Hfile{Bits(h)};
}
// HINTERNET is LPVOID, the same type as HANDLE, so its owner is named.
[[nodiscard]] inline Hinternet InternetFromNative(HINTERNET h) noexcept {
    return Hinternet{Bits(h)};
}

}  // namespace zv::win32
