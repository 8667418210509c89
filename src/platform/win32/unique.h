#pragma once
// The owners of the platform's own handles, one trait per kind.
#include <windows.h>

#include "support/unique.h"

namespace zv::win32 {

// Event, thread and process handles: null when there is none.
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::CloseHandle(h); }
};

// CreateFile's handles: INVALID_HANDLE_VALUE when there is none.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { ::CloseHandle(h); }
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { ::FindClose(h); }
};

struct RegistryKeyTraits {
    using Type = HKEY;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::RegCloseKey(h); }
};

// Fonts, pens and other GDI objects the program created (never stock objects).
template <class Gdi>
struct GdiObjectTraits {
    using Type = Gdi;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::DeleteObject(h); }
};

struct IconTraits {
    using Type = HICON;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { ::DestroyIcon(h); }
};

// A COM interface pointer the owner holds one reference of.
template <class Interface>
struct ComTraits {
    using Type = Interface*;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type p) noexcept { p->Release(); }
};

using UniqueHandle = Unique<KernelHandleTraits>;
using UniqueFile = Unique<FileHandleTraits>;
using UniqueFind = Unique<FindHandleTraits>;
using UniqueKey = Unique<RegistryKeyTraits>;
using UniqueFont = Unique<GdiObjectTraits<HFONT>>;
using UniquePen = Unique<GdiObjectTraits<HPEN>>;
using UniqueIcon = Unique<IconTraits>;
template <class Interface>
using UniqueCom = Unique<ComTraits<Interface>>;

}  // namespace zv::win32
