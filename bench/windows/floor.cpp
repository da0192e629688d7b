// The floor for velmora.exe's start-up: VELMORA's main window written by hand
// in plain Win32, as lean as it can be. The same 86 system controls at the
// same places with the same styles, texts, 5 fonts and colours (a brush per
// colour, WM_CTLCOLOR*), the same 8 lines, a tooltip window, the same manifest
// and icon, and the same 109 settings read from the registry (the section of
// the copy run_startup.sh starts, vm-bench), applied as the program applies
// them. No models, no scheduler: what is left is what the window costs.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kSection = L"Software\\VB and VBA Program Settings\\VELMORA\\vm-bench";
constexpr int kFirstId = 100;
constexpr int kSlots = 20;

enum Kind { Label, ReadOnlyBox, TickBox, Button };
enum Flag { kTab = 1, kCentred = 2, kDisabled = 4 };

// Palette colours as the program keeps them: the high bit and a GetSysColor index.
constexpr DWORD kWindow = 0x80000005, kWindowText = 0x80000008, kFace = 0x8000000F, kFaceText = 0x80000012;
constexpr DWORD kBlack = 0x000000, kRed = 0x0000FF, kGreen = 0x00FF00, kPaleMagenta = 0xFF80FF;

struct FontSpec {
    const wchar_t* face;
    int tenths;  // points * 10
    int weight;
};
const FontSpec kFonts[] = {
    {L"Arial", 83, 700},         {L"Arial", 98, 700},          {L"Arial", 143, 700},
    {L"MS Sans Serif", 83, 400}, {L"MS Sans Serif", 135, 700},
};

struct ControlSpec {
    Kind kind;
    int left, top, width, height;  // twips
    std::wstring text;
    int font;
    DWORD fore, back;
    int flags;
    bool ticked = false;
};

struct LineSpec {
    int x1, y1, x2, y2;
    DWORD colour;
    int width;
};
const LineSpec kLines[] = {
    {120, 960, 5640, 960, kWindowText, 1},   {120, 1440, 5640, 1440, kWindowText, 1},
    {120, 2280, 5640, 2280, kWindowText, 1}, {120, 7320, 5640, 7320, kWindowText, 1},
    {120, 1560, 5640, 1560, kGreen, 3},      {120, 2160, 5640, 2160, kGreen, 3},
    {120, 7440, 5640, 7440, kGreen, 3},      {120, 8040, 5640, 8040, kGreen, 3},
};

struct Floor {
    HWND window = nullptr;
    int dpi = 96;
    std::vector<ControlSpec> controls;
    HFONT fonts[std::size(kFonts)] = {};
    std::map<DWORD, HBRUSH> brushes;
};
Floor floor_;

COLORREF rgb(DWORD colour) {
    return colour & 0x80000000 ? GetSysColor(static_cast<int>(colour & 0xFF)) : colour;
}

HBRUSH brush(DWORD colour) {
    if (colour & 0x80000000) return GetSysColorBrush(static_cast<int>(colour & 0xFF));
    HBRUSH& made = floor_.brushes[colour];
    if (!made) made = CreateSolidBrush(colour);
    return made;
}

int px(int twips) {
    return MulDiv(twips, floor_.dpi, 1440);
}

std::wstring readText(HKEY section, const wchar_t* name, const wchar_t* fallback) {
    wchar_t data[1024];
    DWORD type = 0, bytes = sizeof data - sizeof(wchar_t);
    if (!section || RegQueryValueExW(section, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) ||
        type != REG_SZ)
        return fallback;
    data[bytes / sizeof(wchar_t)] = L'\0';
    return data;
}

// The 109 keys the program reads at start, in its order; the window's texts
// and ticks from them.
void readSettings(std::map<std::wstring, std::wstring>& values) {
    HKEY section = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, kSection, 0, KEY_QUERY_VALUE, &section);
    const auto read = [&](const std::wstring& name, const wchar_t* fallback) {
        values[name] = readText(section, name.c_str(), fallback);
    };
    for (const wchar_t* name : {L"MAIN-Left", L"MAIN-Top", L"MAIN-Width", L"MAIN-Height"}) read(name, L"");
    read(L"LAST_RUN", L"");
    for (const wchar_t* name :
         {L"AUTOSTART_TICKBOX", L"AlwaysOnTopTimer_TICKBOX", L"AUTOCLOSE_TICKBOX", L"RIVA_AUTOSTART_TICKBOX"})
        read(name, name == std::wstring(L"AlwaysOnTopTimer_TICKBOX") ? L"1" : L"0");
    for (const wchar_t* pattern :
         {L"TASK_%d_ENABLE_TICKBOX", L"TASK_%d_PAUSE_TICKBOX", L"TASK_%d_TICKBOX_CAPTION", L"TASK_%d_CMD",
          L"TASK_%d_PROCESS_NAME_TEXTBOX"})
        for (int n = 1; n <= kSlots; ++n) {
            wchar_t name[64], caption[16];
            std::swprintf(name, 64, pattern, n);
            std::swprintf(caption, 16, L"TASK %d", n);
            read(name, std::wcsstr(pattern, L"CAPTION") ? caption : L"");
        }
    if (section) RegCloseKey(section);
}

// The controls in the order the program makes them: those that take the
// focus in keyboard order, then the rest, later ones above earlier ones.
void declareControls(std::map<std::wstring, std::wstring>& values) {
    const auto tick = [&](const std::wstring& key) { return values[key] == L"1"; };
    auto& c = floor_.controls;
    c = {
        {Button, 1200, 1680, 975, 375, L"START", 3, kFaceText, kFace, kTab},
        {Button, 2400, 1680, 1095, 375, L"Settings", 3, kFaceText, kFace, kTab},
        {Button, 3720, 1680, 855, 375, L"START", 3, kFaceText, kFace, kTab | kDisabled},
        {TickBox, 480, 480, 1455, 195, L"AutoStart Timer", 3, kFaceText, kFace, kTab},
        {TickBox, 480, 720, 1455, 195, L"Always On Top", 3, kFaceText, kFace, kTab},
        {TickBox, 2880, 480, 2175, 195, L"AutoClose When Finished", 3, kFaceText, kFace, kTab},
        {TickBox, 2880, 720, 2415, 195, L"AutoStart RIVA HeartBeat", 3, kFaceText, kFace, kTab},
        {Button, 1800, 7560, 855, 375, L"START", 3, kFaceText, kFace, kTab},
        {Button, 4800, 7560, 735, 375, L"About", 3, kFaceText, kFace, kTab},
    };
    for (int n = 1; n <= kSlots; ++n) {
        const int top = 2400 + 240 * (n - 1);
        const std::wstring number = std::to_wstring(n);
        c.push_back({TickBox, 600, top, 4095, 255, values[L"TASK_" + number + L"_TICKBOX_CAPTION"], 1,
                     kFaceText, kFace, kTab});
        c.push_back({TickBox, 4800, top, 735, 255, L"P-4-P", 3, kFaceText, kFace, kTab});
    }
    c.push_back({ReadOnlyBox, 240, 1680, 735, 435, L"00", 4, kWindowText, kPaleMagenta, kTab | kCentred});
    c.push_back({ReadOnlyBox, 4800, 1680, 735, 435, L"00", 4, kWindowText, kPaleMagenta, kTab | kCentred});
    for (int n = 1; n <= kSlots; ++n)
        c.push_back({ReadOnlyBox, 120, 2400 + 240 * (n - 1), 375, 255, std::to_wstring(n), 0, kWindowText,
                     kWindow, kTab | kCentred});
    c.push_back({ReadOnlyBox, 240, 7560, 1455, 405, L"00:00:00", 2, kGreen, kBlack, kTab | kCentred});
    const std::wstring lastRun = values[L"LAST_RUN"];
    c.push_back({ReadOnlyBox, 1200, 1080, 4335, 330, lastRun, 1, kBlack,
                 lastRun == L"COMPLETED SUCCESSFULLY" ? kGreen : kRed, kTab | kCentred});
    c.push_back({Label, 9840, 240, 2295, 255, L" P-4-P - Process.exe Name", 0, kFaceText, kFace, 0});
    c.push_back({Label, 6480, 240, 1695, 255, L"Full Run Command", 0, kFaceText, kFace, 0});
    for (int n = 7; n >= 1; --n)
        c.push_back({Label, 2640 + 240 * n, 7680, 255, 135, L"", 3, kFaceText, kRed, 0});
    c.push_back({Label, 2760, 7560, 1935, 375, L"", 3, kFaceText, kBlack, 0});
    c.push_back({Label, 240, 1080, 975, 255, L"Last Run:", 1, kFaceText, kFace, 0});
    c.push_back({Label, 2520, 120, 3135, 315, L"vm-bench", 1, kGreen, kBlack, kCentred});
    c.push_back({Label, 120, 120, 2295, 315, L"TARNHOLT", 1, kGreen, kBlack, kCentred});
    // The stored ticks, in the order the controls were declared above.
    c[3].ticked = tick(L"AUTOSTART_TICKBOX");
    c[4].ticked = tick(L"AlwaysOnTopTimer_TICKBOX");
    c[5].ticked = tick(L"AUTOCLOSE_TICKBOX");
    c[6].ticked = tick(L"RIVA_AUTOSTART_TICKBOX");
    for (int n = 1; n <= kSlots; ++n) {
        const std::wstring number = std::to_wstring(n);
        c[9 + 2 * (n - 1)].ticked = tick(L"TASK_" + number + L"_ENABLE_TICKBOX");
        c[10 + 2 * (n - 1)].ticked = tick(L"TASK_" + number + L"_PAUSE_TICKBOX");
    }
}

void createControls(HINSTANCE instance) {
    for (std::size_t i = 0; i < std::size(kFonts); ++i)
        floor_.fonts[i] =
            CreateFontW(-MulDiv(kFonts[i].tenths, floor_.dpi, 720), 0, 0, 0, kFonts[i].weight, FALSE, FALSE,
                        FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, kFonts[i].face);
    CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, floor_.window, nullptr,
                    instance,
                    nullptr);  // the main window has no tips while every desktop feature works
    int id = kFirstId;
    for (const ControlSpec& c : floor_.controls) {
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE, exStyle = 0;
        if (c.flags & kTab) style |= WS_TABSTOP;
        if (c.flags & kDisabled) style |= WS_DISABLED;
        const wchar_t* cls = L"BUTTON";
        switch (c.kind) {
            case Label:
                cls = L"STATIC";
                style |= SS_NOTIFY | SS_NOPREFIX | (c.flags & kCentred ? SS_CENTER : SS_LEFT);
                break;
            case ReadOnlyBox:
                cls = L"EDIT";
                exStyle = WS_EX_CLIENTEDGE;
                style |= ES_AUTOHSCROLL | ES_READONLY | (c.flags & kCentred ? ES_CENTER : ES_LEFT);
                break;
            case TickBox:
                style |= BS_AUTOCHECKBOX;
                break;
            case Button:
                style |= BS_PUSHBUTTON;
                break;
        }
        const int left = px(c.left), top = px(c.top);
        HWND control =
            CreateWindowExW(exStyle, cls, c.text.c_str(), style, left, top, px(c.left + c.width) - left,
                            px(c.top + c.height) - top, floor_.window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(floor_.fonts[c.font]), FALSE);
        if (c.ticked) SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
    }
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN: {
            const int index = GetDlgCtrlID(reinterpret_cast<HWND>(l)) - kFirstId;
            if (index < 0 || index >= static_cast<int>(floor_.controls.size())) break;
            const ControlSpec& c = floor_.controls[static_cast<std::size_t>(index)];
            const auto dc = reinterpret_cast<HDC>(w);
            if (!(c.flags & kDisabled)) SetTextColor(dc, rgb(c.fore));
            SetBkColor(dc, rgb(c.back));
            return reinterpret_cast<LRESULT>(brush(c.back));
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            for (const LineSpec& line : kLines) {
                LOGBRUSH pattern{BS_SOLID, rgb(line.colour), 0};
                HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT,
                                        static_cast<DWORD>(MulDiv(line.width, floor_.dpi, 96)), &pattern, 0,
                                        nullptr);
                const HGDIOBJ old = SelectObject(dc, pen);
                MoveToEx(dc, px(line.x1), px(line.y1), nullptr);
                LineTo(dc, px(line.x2), px(line.y2));
                DeleteObject(SelectObject(dc, old));
            }
            EndPaint(window, &ps);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, w, l);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    std::map<std::wstring, std::wstring> values;
    readSettings(values);
    declareControls(values);

    HDC screen = GetDC(nullptr);
    floor_.dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"StartupFloor";
    RegisterClassExW(&windowClass);
    const auto twips = [&](const wchar_t* key, int fallback) {
        return values[key].empty() ? fallback : _wtoi(values[key].c_str());
    };
    const int left = px(twips(L"MAIN-Left", 1000)), top = px(twips(L"MAIN-Top", 1000));
    floor_.window =
        CreateWindowExW(WS_EX_CONTROLPARENT, windowClass.lpszClassName, L"VELMORA - vm-bench",
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, left, top,
                        px(twips(L"MAIN-Left", 1000) + twips(L"MAIN-Width", 5865)) - left,
                        px(twips(L"MAIN-Top", 1000) + twips(L"MAIN-Height", 8550)) - top, nullptr, nullptr,
                        instance, nullptr);
    createControls(instance);
    ShowWindow(floor_.window, show);
    SetFocus(GetNextDlgTabItem(floor_.window, nullptr, FALSE));
    UpdateWindow(floor_.window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(floor_.window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    for (HFONT font : floor_.fonts) DeleteObject(font);
    for (const auto& [colour, made] : floor_.brushes) DeleteObject(made);
    return 0;
}
