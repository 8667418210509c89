#pragma once
// Starts the real program: creates frmMain, runs its load handler and the message loop.
namespace zv::win32 {

int RunApplication();

}  // namespace zv::win32
