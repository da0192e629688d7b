#include "platform/windows/FileDialog.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <commdlg.h>

#include <vector>

#include "platform/win32text/WideText.h"
#include "platform/windows/Win32.h"

namespace platform::windows_backend {

std::wstring dialogFilter(const std::string& filter) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = filter.find('|', start);
        parts.push_back(toWide(filter.substr(start, bar - start)));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    if (parts.size() % 2 != 0) parts.pop_back();
    std::wstring joined;
    for (const auto& part : parts) {
        joined += part;
        joined.push_back(L'\0');
    }
    if (!joined.empty()) joined.push_back(L'\0');
    return joined;
}

namespace {

using GetOpenFileNameFn = BOOL(WINAPI*)(OPENFILENAMEW*);

// The chooser's library with its chain (shell, printing, network) costs about
// a megabyte and start-up time, and the chooser is used rarely: it is loaded
// when first wanted and kept from then on. From the system folder only, so a
// file of that name beside the program is never loaded instead.
GetOpenFileNameFn loadChooser(std::string& why) {
    static GetOpenFileNameFn loaded = nullptr;
    if (loaded) return loaded;
    HMODULE library = LoadLibraryExW(L"comdlg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library)
        loaded = reinterpret_cast<GetOpenFileNameFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, "GetOpenFileNameW")));
    if (!loaded) why = lastErrorMessage();
    return loaded;
}

}  // namespace

std::optional<std::string> chooseFile(const std::string& title, const std::string& filter,
                                      const std::string& defaultExtension, const std::string& startFolder) {
    const std::wstring wideTitle = toWide(title), wideFilter = dialogFilter(filter),
                       extension = toWide(defaultExtension), folder = toWide(startFolder);
    // Room for the longest path the system allows.
    std::wstring file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetActiveWindow();
    dialog.lpstrFilter = wideFilter.empty() ? nullptr : wideFilter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = wideTitle.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    std::string why;
    const GetOpenFileNameFn getOpenFileName = loadChooser(why);
    if (!getOpenFileName) {
        const std::wstring text = toWide("the file chooser cannot be shown: " + why);
        MessageBoxW(dialog.hwndOwner, text.c_str(), L"VELMORA", MB_OK | MB_ICONERROR);
        return std::nullopt;
    }
    if (!getOpenFileName(&dialog)) return std::nullopt;
    file.resize(wcslen(file.c_str()));
    return toUtf8(file);
}

}  // namespace platform::windows_backend
