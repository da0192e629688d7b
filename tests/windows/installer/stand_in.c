// Stands in for velmora.exe until the real program is built: one window with
// one label, titled like the real main window, that closes on WM_CLOSE.
#include <windows.h>

static LRESULT CALLBACK proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE prev, PWSTR cmd, int show) {
    (void)prev;
    (void)cmd;
    WNDCLASSW wc = {.lpfnWndProc = proc,
                    .hInstance = inst,
                    .lpszClassName = L"VelmoraStandIn",
                    .hIcon = LoadIconW(inst, MAKEINTRESOURCEW(1)),
                    .hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1)};
    RegisterClassW(&wc);
    HWND w =
        CreateWindowExW(0, wc.lpszClassName, L"TARNHOLT - velmora", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                        CW_USEDEFAULT, CW_USEDEFAULT, 300, 100, NULL, NULL, inst, NULL);
    CreateWindowExW(0, L"STATIC", L"stand-in", WS_CHILD | WS_VISIBLE, 10, 10, 200, 20, w, NULL, inst, NULL);
    ShowWindow(w, show);
    MSG m;
    while (GetMessageW(&m, NULL, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}
