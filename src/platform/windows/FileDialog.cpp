#include "platform/windows/FileDialog.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <commdlg.h>

#include <vector>

#include "platform/win32text/WideText.h"

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
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    file.resize(wcslen(file.c_str()));
    return toUtf8(file);
}

}  // namespace platform::windows_backend
