/* The benchmark's baseline: a plain CopyFileA loop.
 *   copy_loop.exe LIST ROOT
 * LIST holds "source|target below ROOT" lines; each target's folders are created as
 * needed and the source is copied over it. Exit code 1 when any copy failed. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

static void make_parents(char* path) {
    for (char* p = strchr(path + 3, '\\'); p; p = strchr(p + 1, '\\')) {
        *p = '\0';
        CreateDirectoryA(path, NULL);
        *p = '\\';
    }
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: copy_loop LIST ROOT\n");
        return 2;
    }
    FILE* list = fopen(argv[1], "rb");
    if (!list) {
        fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    char line[2048], target[4096];
    int failed = 0;
    while (fgets(line, sizeof line, list)) {
        line[strcspn(line, "\r\n")] = '\0';
        char* bar = strchr(line, '|');
        if (!bar) continue;
        *bar = '\0';
        snprintf(target, sizeof target, "%s\\%s", argv[2], bar + 1);
        make_parents(target);
        if (!CopyFileA(line, target, FALSE)) {
            fprintf(stderr, "%s: error %lu\n", line, GetLastError());
            failed = 1;
        }
    }
    fclose(list);
    return failed;
}
