// A newdev.dll as someone might leave it beside the program on a backup stick. It exports
// nothing the program looks for; that it was loaded at all is the fault the probe looks for.
#include <windows.h>

extern "C" __declspec(dllexport) int PlantedNewdev() {
    return 1;
}
