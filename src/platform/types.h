#pragma once
// The platform's own scalar types and constants, spelt so that logic code
// needs no <windows.h>. Names differ from the SDK macros on purpose: the
// Win32 implementation includes both, and a macro would rewrite ours.
#include <cstdint>

namespace zv {

using Dword = std::uint32_t;
using Long = std::int32_t;

// Handles are pointer-sized, as Windows declares them (HKEY, HINTERNET, HWND and HANDLE are
// pointers): 32 bits in the i686 build, 64 in the x86-64 one and on the host. Each kind is its
// own type, so a registry key cannot be handed where a window or a file is wanted; the value
// is only ever made from, or turned back into, the platform's own handle.
enum class Hkey : std::uintptr_t {};       // predefined roots and opened keys; 0 is "no key"
enum class Hinternet : std::uintptr_t {};  // 0 is "no handle"
enum class Hwnd : std::uintptr_t {};       // 0 is "no window"
enum class Hfile : std::uintptr_t {};      // kInvalidHfile is "no file"

template <class H>
[[nodiscard]] constexpr std::uintptr_t HandleValue(H h) noexcept {
    return static_cast<std::uintptr_t>(h);
}

// The predefined roots are the 32-bit values 0x80000000 and up, cast to a pointer through
// LONG: on 64-bit Windows they are sign-extended (HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002).
[[nodiscard]] constexpr Hkey PredefinedKey(std::uint32_t value) noexcept {
    return static_cast<Hkey>(
        static_cast<std::uintptr_t>(static_cast<std::intptr_t>(static_cast<Long>(value))));
}

// Root keys.
inline constexpr Hkey kHkeyClassesRoot = PredefinedKey(0x80000000u);
inline constexpr Hkey kHkeyCurrentUser = PredefinedKey(0x80000001u);
inline constexpr Hkey kHkeyLocalMachine = PredefinedKey(0x80000002u);
inline constexpr Hkey kHkeyUsers = PredefinedKey(0x80000003u);
inline constexpr Hkey kNoKey{};
inline constexpr Hinternet kNoInternet{};
inline constexpr Hwnd kNoWindow{};

// Access masks.
inline constexpr Dword kKeyQueryValue = 0x0001;
inline constexpr Dword kKeyRead = 0x20019;
inline constexpr Dword kKeyAllAccess = 0xF003F;

// Value types.
inline constexpr Dword kRegNone = 0;
inline constexpr Dword kRegSz = 1;
inline constexpr Dword kRegExpandSz = 2;
inline constexpr Dword kRegBinary = 3;
inline constexpr Dword kRegDword = 4;
inline constexpr Dword kRegMultiSz = 7;

// Win32 error codes the program and its fakes use.
inline constexpr Dword kErrorSuccess = 0;
inline constexpr Dword kErrorInvalidFunction = 1;
inline constexpr Dword kErrorFileNotFound = 2;
inline constexpr Dword kErrorPathNotFound = 3;
inline constexpr Dword kErrorAccessDenied = 5;
inline constexpr Dword kErrorInvalidHandle = 6;
inline constexpr Dword kErrorNotReady = 21;
inline constexpr Dword kErrorSharingViolation = 32;
inline constexpr Dword kErrorDiskFull = 112;
inline constexpr Dword kErrorInsufficientBuffer = 122;
inline constexpr Dword kErrorInvalidName = 123;
inline constexpr Dword kErrorFilenameExcedRange = 206;
inline constexpr Dword kErrorAlreadyExists = 183;
inline constexpr Dword kErrorMoreData = 234;
inline constexpr Dword kErrorNoMoreItems = 259;
inline constexpr Dword kErrorFileExists = 80;
inline constexpr Dword kErrorInternetTimeout = 12002;
inline constexpr Dword kErrorInternetNameNotResolved = 12007;
inline constexpr Dword kErrorInternetCannotConnect = 12029;
inline constexpr Dword kErrorInternetConnectionAborted = 12030;

// File attributes.
inline constexpr Dword kInvalidFileAttributes = 0xFFFFFFFFu;
inline constexpr Dword kFileAttributeReadonly = 0x01;
inline constexpr Dword kFileAttributeHidden = 0x02;
inline constexpr Dword kFileAttributeSystem = 0x04;
inline constexpr Dword kFileAttributeDirectory = 0x10;
inline constexpr Dword kFileAttributeArchive = 0x20;
inline constexpr Dword kFileAttributeNormal = 0x80;

// Message-box styles and answers, as the message boxes of the program use them.
inline constexpr Dword kMbOk = 0x0;
inline constexpr Dword kMbYesNoCancel = 0x3;
inline constexpr Dword kMbYesNo = 0x4;
inline constexpr Dword kMbIconError = 0x10;        // 16
inline constexpr Dword kMbIconQuestion = 0x20;     // 32
inline constexpr Dword kMbIconExclamation = 0x30;  // 48
inline constexpr Dword kMbIconInformation = 0x40;  // 64
inline constexpr Dword kMbDefButton1 = 0x0;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Show-window codes.
inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShow = 5;

// Mouse pointers of the main window.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

// Folder browser option: only file-system folders.
inline constexpr Dword kBifReturnOnlyFsDirs = 0x1;

// WinINet.
inline constexpr Dword kInternetOpenTypePreconfig = 0;
inline constexpr Dword kInternetOpenTypeDirect = 1;
inline constexpr Dword kInternetOptionConnectTimeout = 2;
inline constexpr Dword kInternetOptionSendTimeout = 5;
inline constexpr Dword kInternetOptionReceiveTimeout = 6;
inline constexpr Dword kInternetOptionVersion = 40;
inline constexpr std::uint16_t kInternetDefaultHttpPort = 80;
inline constexpr Dword kInternetServiceHttp = 3;
inline constexpr Dword kInternetFlagReload = 0x80000000u;
inline constexpr Dword kHttpAddreqFlagAddIfNew = 0x10000000u;
inline constexpr Dword kHttpQueryFlagRequestHeaders = 0x80000000u;

}  // namespace zv
