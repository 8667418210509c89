/* Runs a program and prints the milliseconds until it ended, and its exit code:
 *   run_timer.exe PROGRAM [ARGS...]
 * Timed inside Wine, so both sides of a comparison pay the same process start. The
 * program's standard output goes to NUL, its errors to ours. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: run_timer PROGRAM [ARGS...]\n");
        return 2;
    }
    char line[32768] = "";
    size_t used = 0;
    for (int i = 1; i < argc; ++i) {
        const int quote = strchr(argv[i], ' ') != NULL;
        int n = snprintf(line + used, sizeof line - used, "%s%s%s%s", i > 1 ? " " : "", quote ? "\"" : "",
                         argv[i], quote ? "\"" : "");
        if (n < 0 || (size_t)n >= sizeof line - used) return 2;
        used += (size_t)n;
    }
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    STARTUPINFOA si = {sizeof si};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                                NULL);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi;
    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(NULL, line, NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi)) {
        fprintf(stderr, "cannot start %s: error %lu\n", argv[1], GetLastError());
        return 2;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    printf("%.0f %lu\n", (double)(end.QuadPart - start.QuadPart) * 1000.0 / (double)freq.QuadPart, code);
    return 0;
}
