#pragma once
// The owners of the platform's own handles: each kind is its type, the value that
// means "none", and the call that closes it.
#include <windows.h>

#include "support/unique.h"

namespace zv::win32 {

// Handles whose "none" is null: events, threads, processes, GDI objects, icons.
template <class T, auto Close>
struct NullIsNone {
    using Type = T;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { (void)Close(h); }
};

// CreateFile's and FindFirstFile's handles: INVALID_HANDLE_VALUE when there is none.
template <auto Close>
struct InvalidIsNone {
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { (void)Close(h); }
};

// A COM interface pointer the owner holds one reference of.
template <class Interface>
struct ComReference {
    using Type = Interface*;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type p) noexcept { p->Release(); }
};

using UniqueHandle = Unique<NullIsNone<HANDLE, &::CloseHandle>>;
using UniqueFile = Unique<InvalidIsNone<&::CloseHandle>>;
using UniqueFind = Unique<InvalidIsNone<&::FindClose>>;
// Fonts and pens the program created, never stock objects.
using UniqueFont = Unique<NullIsNone<HFONT, &::DeleteObject>>;
using UniquePen = Unique<NullIsNone<HPEN, &::DeleteObject>>;
using UniqueIcon = Unique<NullIsNone<HICON, &::DestroyIcon>>;
template <class Interface>
using UniqueCom = Unique<ComReference<Interface>>;

}  // namespace zv::win32
