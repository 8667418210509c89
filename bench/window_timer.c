/* Starts a program and prints the milliseconds until it shows a top-level window
   of the given class, then closes it:  window_timer.exe CLASS PROGRAM [ARGS...]
   A message box that appears instead is reported, and the run counts as failed.
   Under Wine every window query is a round trip to the one server process that the
   measured program needs for its own work, so the wait asks as little as it can: the
   windows of the class, every 5 ms, and a look for a message box every 100 ms. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static DWORD g_pid;
static char g_box[256];

static BOOL CALLBACK FindBox(HWND h, LPARAM unused) {
    (void)unused;
    DWORD pid = 0;
    char cls[128];
    GetWindowThreadProcessId(h, &pid);
    if (pid != g_pid || !IsWindowVisible(h)) return TRUE;
    GetClassNameA(h, cls, sizeof cls);
    if (strcmp(cls, "#32770") == 0) {
        GetWindowTextA(h, g_box, sizeof g_box);
        return FALSE;
    }
    return TRUE;
}

static HWND Shown(const char* cls) {
    for (HWND h = FindWindowExA(NULL, NULL, cls, NULL); h; h = FindWindowExA(NULL, h, cls, NULL)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid == g_pid && IsWindowVisible(h)) return h;
    }
    return NULL;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: window_timer CLASS PROGRAM [ARGS...]\n");
        return 2;
    }
    char cmd[4096] = "";
    for (int i = 2; i < argc; ++i) {
        strcat(cmd, "\"");
        strcat(cmd, argv[i]);
        strcat(cmd, "\" ");
    }
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi;
    QueryPerformanceCounter(&t0);
    if (!CreateProcessA(NULL, cmd, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        fprintf(stderr, "cannot start %s: %lu\n", argv[2], GetLastError());
        return 1;
    }
    g_pid = pi.dwProcessId;
    HWND found = NULL;
    for (unsigned poll = 1;; ++poll) {
        found = Shown(argv[1]);
        QueryPerformanceCounter(&t1);
        if (found) break;
        if (poll % 20 == 0) {
            EnumWindows(FindBox, 0);
            if (g_box[0] || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        }
        if ((t1.QuadPart - t0.QuadPart) / freq.QuadPart > 120) break;
        Sleep(5);
    }
    const double ms = 1000.0 * (double)(t1.QuadPart - t0.QuadPart) / (double)freq.QuadPart;
    int rc = 0;
    if (found) {
        printf("%.0f\n", ms);
        PostMessageA(found, WM_CLOSE, 0, 0);
    } else {
        fprintf(stderr, g_box[0] ? "a message box appeared: %s\n" : "no window%s\n", g_box);
        rc = 1;
    }
    if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) {
        fprintf(stderr, "%s did not end within 5 s of its window being closed\n", argv[2]);
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return rc;
}
