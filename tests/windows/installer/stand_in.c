// Stands in for velmora.exe until the real program is built: a window with
// the real program's caption that ends the program when it is closed.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE prev, PWSTR cmd, int show) {
    (void)inst, (void)prev, (void)cmd, (void)show;
    MessageBoxW(NULL, L"stand-in", L"TARNHOLT - velmora", MB_OK);
    return 0;
}
