/* Starts a program and prints the milliseconds until it shows a top-level window
   of the given class, then closes it:  window_timer.exe CLASS PROGRAM [ARGS...]
   A message box that appears instead is reported, and the run counts as failed. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static DWORD g_pid;
static const char* g_class;
static HWND g_found;
static char g_box[256];

static BOOL CALLBACK Find(HWND h, LPARAM unused) {
    (void)unused;
    DWORD pid = 0;
    char cls[128];
    GetWindowThreadProcessId(h, &pid);
    if (pid != g_pid || !IsWindowVisible(h)) return TRUE;
    GetClassNameA(h, cls, sizeof cls);
    if (strcmp(cls, g_class) == 0) {
        g_found = h;
        return FALSE;
    }
    if (strcmp(cls, "#32770") == 0) GetWindowTextA(h, g_box, sizeof g_box);
    return TRUE;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: window_timer CLASS PROGRAM [ARGS...]\n");
        return 2;
    }
    g_class = argv[1];
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
    for (;;) {
        EnumWindows(Find, 0);
        QueryPerformanceCounter(&t1);
        if (g_found || g_box[0] || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        if ((t1.QuadPart - t0.QuadPart) / freq.QuadPart > 120) break;
        Sleep(2);
    }
    const double ms = 1000.0 * (double)(t1.QuadPart - t0.QuadPart) / (double)freq.QuadPart;
    int rc = 0;
    if (g_found) {
        printf("%.0f\n", ms);
        PostMessageA(g_found, WM_CLOSE, 0, 0);
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
