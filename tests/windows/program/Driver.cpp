#include "Driver.h"

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>

#include "platform/win32text/WideText.h"

using platform::toUtf8;
using platform::toWide;

namespace drive {

namespace {

const wchar_t* const kSettingsRoot = L"Software\\VB and VBA Program Settings\\VELMORA\\";

fs::path fromEnvironment(const wchar_t* variable, const fs::path& otherwise) {
    wchar_t value[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableW(variable, value, MAX_PATH * 2);
    return length > 0 && length < MAX_PATH * 2 ? fs::path(value) : otherwise;
}

// velmora.exe as the build leaves it, unless the test command names another.
fs::path velmoraExe() {
    return fromEnvironment(L"VELMORA_EXE",
                           testing_support::testProgramFolder() / ".." / ".." / ".." / "src" / "velmora.exe");
}

std::wstring sectionKey(const std::string& section) {
    return kSettingsRoot + toWide(section);
}

void mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// The pointer goes to the control's centre once its window has stopped
// moving (the window manager may still be placing a new one) and nothing
// else covers that spot.
void pointAt(HWND control) {
    const HWND root = GetAncestor(control, GA_ROOT);
    RECT last{};
    POINT centre{};
    waitUntil(
        [&] {
            const RECT r = screenRect(control);
            const bool still = EqualRect(&r, &last);
            last = r;
            centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            const HWND hit = WindowFromPoint(centre);
            return still && hit && GetAncestor(hit, GA_ROOT) == root;
        },
        3s);
    SetCursorPos(centre.x, centre.y);
}

// A click needs its window in front; the test started the program, so the
// system lets it hand the foreground over.
void frontFor(HWND control) {
    const HWND root = GetAncestor(control, GA_ROOT);
    if (GetForegroundWindow() != root) bringToFront(root);
}

std::wstring mainCaption(const std::string& name) {
    return L"VELMORA - " + toWide(name);
}

std::wstring windowCaption(HWND window) {
    wchar_t caption[512];
    const int length = GetWindowTextW(window, caption, 512);
    return std::wstring(caption, static_cast<std::size_t>(length > 0 ? length : 0));
}

}  // namespace

fs::path artifactDir() {
    const fs::path dir =
        fromEnvironment(L"VELMORA_ARTIFACT_DIR", testing_support::testProgramFolder() / "artifacts");
    fs::create_directories(dir);
    return dir;
}

void writeSection(const std::string& section, const Settings& values) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, sectionKey(section).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create the settings section " + section);
    for (const auto& [name, value] : values) {
        const std::wstring data = toWide(value);
        RegSetValueExW(key, toWide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
}

Settings readSection(const std::string& section) {
    Settings values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, sectionKey(section).c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
        nameLength = 256;
        size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        data.resize(wcsnlen(data.c_str(), data.size()));
        values[toUtf8(std::wstring(name, nameLength))] = toUtf8(data);
    }
    RegCloseKey(key);
    return values;
}

void deleteSection(const std::string& section) {
    RegDeleteTreeW(HKEY_CURRENT_USER, sectionKey(section).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, sectionKey(section).c_str());
}

double Shot::share(COLORREF colour, int inset) const {
    int hits = 0, total = 0;
    for (int y = inset; y < height - inset; ++y)
        for (int x = inset; x < width - inset; ++x, ++total) hits += at(x, y) == colour;
    return total ? static_cast<double>(hits) / total : 0.0;
}

std::size_t Shot::colours(int inset) const {
    std::set<COLORREF> seen;
    for (int y = inset; y < height - inset; ++y)
        for (int x = inset; x < width - inset; ++x) seen.insert(at(x, y));
    return seen.size();
}

void Shot::saveBmp(const fs::path& file) const {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = -height;  // top row first
    info.biPlanes = 1;
    info.biBitCount = 32;
    std::vector<std::uint32_t> bgrx;
    for (COLORREF c : pixels) bgrx.push_back(GetBValue(c) | GetGValue(c) << 8 | GetRValue(c) << 16);
    BITMAPFILEHEADER head{};
    head.bfType = 0x4D42;
    head.bfOffBits = sizeof head + sizeof info;
    head.bfSize = head.bfOffBits + static_cast<DWORD>(bgrx.size() * 4);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&head), sizeof head);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(bgrx.data()), static_cast<std::streamsize>(bgrx.size() * 4));
}

Shot grab(const RECT& r) {
    Shot shot;
    shot.width = r.right - r.left;
    shot.height = r.bottom - r.top;
    if (shot.width <= 0 || shot.height <= 0) return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    const auto* bgrx = static_cast<const std::uint32_t*>(bits);
    for (int i = 0; i < shot.width * shot.height; ++i) {
        const std::uint32_t p = bgrx[i];
        shot.pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

RECT screenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

void click(HWND control) {
    frontFor(control);
    pointAt(control);
    mouse(MOUSEEVENTF_LEFTDOWN);
    mouse(MOUSEEVENTF_LEFTUP);
    pause(150ms);
}

void doubleClick(HWND control) {
    frontFor(control);
    pointAt(control);
    for (int i = 0; i < 2; ++i) {
        mouse(MOUSEEVENTF_LEFTDOWN);
        mouse(MOUSEEVENTF_LEFTUP);
    }
    pause(150ms);
}

void typeText(const std::wstring& text) {
    std::vector<INPUT> keys;
    for (wchar_t c : text)
        for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = KEYEVENTF_UNICODE | up;
            keys.push_back(input);
        }
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
    pause(200ms);
}

void pressKey(WORD key) {
    INPUT keys[2] = {};
    for (auto& k : keys) {
        k.type = INPUT_KEYBOARD;
        k.ki.wVk = key;
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    pause(100ms);
}

HWND focusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

std::string text(HWND control) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return "?";
    std::wstring buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    buffer.resize(copied);
    return toUtf8(buffer);
}

bool checked(HWND control) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return state == BST_CHECKED;
}

bool enabled(HWND control) {
    return IsWindowEnabled(control) != FALSE;
}

bool topMost(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool bringToFront(HWND window) {
    // Asked again until it holds: on a busy display another window may take
    // the foreground back before the first request is carried out.
    return waitUntil(
        [&] {
            if (GetForegroundWindow() == window) return true;
            SetForegroundWindow(window);
            return false;
        },
        3s);
}

namespace {
// The program names a window's controls when first asked.
void nameControls(HWND window) {
    static const UINT message = RegisterWindowMessageW(L"VelmoraNameControls");
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
}
}  // namespace

HWND Window::operator[](const std::string& name) const {
    nameControls(hwnd_);
    struct Search {
        std::wstring name;
        HWND found = nullptr;
    } search{toWide(name)};
    EnumChildWindows(
        hwnd_,
        [](HWND child, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(child, L"VelmoraName")));
            wchar_t text[128];
            const UINT length = atom ? GlobalGetAtomNameW(atom, text, 128) : 0;
            if (length > 0 && s.name == std::wstring(text, length)) {
                s.found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::string> Window::names() const {
    nameControls(hwnd_);
    std::vector<std::string> found;
    EnumChildWindows(
        hwnd_,
        [](HWND child, LPARAM data) -> BOOL {
            const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(child, L"VelmoraName")));
            wchar_t text[128];
            const UINT length = atom ? GlobalGetAtomNameW(atom, text, 128) : 0;
            if (length > 0)
                reinterpret_cast<std::vector<std::string>*>(data)->push_back(toUtf8({text, length}));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

Shot Window::shoot(const std::string& name) const {
    const Shot shot = grab(screenRect(hwnd_));
    shot.saveBmp(artifactDir() / (name + ".bmp"));
    return shot;
}

std::vector<std::string> Window::cutOff() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    std::vector<std::string> cut;
    for (const std::string& name : names()) {
        const HWND control = (*this)[name];
        if (!IsWindowVisible(control)) continue;
        RECT r = screenRect(control), shown{};
        // Wholly outside is the main window's hidden part, by design.
        if (IntersectRect(&shown, &r, &client) && !EqualRect(&shown, &r)) cut.push_back(name);
    }
    return cut;
}

bool Window::resizable() const {
    return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX)) != 0;
}

bool Window::minimisable() const {
    return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_MINIMIZEBOX) != 0;
}

Program::Program(const fs::path& folder, const std::string& name) : name_(name) {
    fs::create_directories(folder);
    exe_ = folder / (name + ".exe");
    errors_ = folder / (name + ".stderr.txt");
    fs::copy_file(velmoraExe(), exe_, fs::copy_options::overwrite_existing);
    deleteSection(name);
}

Program::~Program() {
    if (process_ == nullptr) return;
    if (running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

void Program::start() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE errors = CreateFileW(errors_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = errors;
    std::wstring line = L"\"" + exe_.wstring() + L"\"";
    PROCESS_INFORMATION started{};
    const BOOL ok = CreateProcessW(exe_.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                   exe_.parent_path().c_str(), &startup, &started);
    CloseHandle(errors);
    if (!ok) throw std::runtime_error("cannot start " + exe_.string());
    CloseHandle(started.hThread);
    process_ = started.hProcess;
    pid_ = started.dwProcessId;
}

bool Program::running() const {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Program::waitForExit(Millis limit) const {
    return waitUntil([&] { return !running(); }, limit);
}

DWORD Program::exitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_, &code);
    return code;
}

std::string Program::errorOutput() const {
    return readFile(errors_);
}

HWND Program::find(const std::wstring& caption) const {
    struct Search {
        DWORD pid;
        const std::wstring* caption;
        HWND found = nullptr;
    } search{pid_, &caption};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.pid && IsWindowVisible(window) && windowCaption(window) == *s.caption) {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Window Program::window(const std::wstring& caption, Millis limit) const {
    HWND found = nullptr;
    waitUntil([&] { return (found = find(caption)) != nullptr; }, limit);
    return Window(found);
}

Window Program::mainWindow(Millis limit) const {
    return window(mainCaption(name_), limit);
}

HWND Program::findMain() const {
    return find(mainCaption(name_));
}

std::vector<std::string> Program::trace() const {
    std::vector<std::string> lines;
    std::istringstream output(errorOutput());
    const std::regex stamped("^" + name_ + R"(: \d\d:\d\d:\d\d (.*?)\r?$)");
    for (std::string line; std::getline(output, line);) {
        std::smatch m;
        if (std::regex_match(line, m, stamped)) lines.push_back(m[1]);
    }
    return lines;
}

StartedProgram::StartedProgram(const std::string& name)
    : tmp("velmora-" + name),
      tasks(tmp.path() / "work", testing_support::markerProgram()),
      program(tmp.path() / "bin", name) {}

const Window& StartedProgram::start(const Settings& seed) {
    writeSection(program.name(), seed);
    program.start();
    main = program.mainWindow();
    return main;
}

bool StartedProgram::close() const {
    PostMessageW(main.hwnd(), WM_CLOSE, 0, 0);
    return program.waitForExit(10s);
}

Notepad::Notepad() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring line = L"notepad.exe";
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_))
        return;
    // Its first visible top-level window.
    waitUntil(
        [&] {
            for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == process_.dwProcessId && IsWindowVisible(w) && GetWindow(w, GW_OWNER) == nullptr)
                    return (window_ = w) != nullptr;
            }
            return false;
        },
        20s);
}

Notepad::~Notepad() {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 0);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
}

void Notepad::close() {
    const auto ended = [&] { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; };
    PostMessageW(window_, WM_CLOSE, 0, 0);
    // With typed text it asks whether to save it first: no.
    waitUntil([&] { return ended() || GetForegroundWindow() != window_; }, 3s);
    DWORD front = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &front);
    if (!ended() && front == process_.dwProcessId) pressKey('N');
    waitUntil(ended, 3s);
}

Settings mainWindowAt(int leftPx, int topPx) {
    return {{"MAIN-Left", std::to_string(leftPx * 15)},
            {"MAIN-Top", std::to_string(topPx * 15)},
            {"AlwaysOnTopTimer_TICKBOX", "0"},
            {"AUTOSTART_TICKBOX", "0"},
            {"AUTOCLOSE_TICKBOX", "0"},
            {"RIVA_AUTOSTART_TICKBOX", "0"}};
}

}  // namespace drive
