#include "platform/windows/Win32.h"

#include <memory>

#include "platform/windows/WideText.h"

namespace platform::windows_backend {

std::string systemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, decltype(&LocalFree)> owned(buffer, &LocalFree);
    std::wstring text(buffer != nullptr ? buffer : L"", length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) return "error " + std::to_string(code);
    return toUtf8(text);
}

std::string lastErrorMessage() {
    return systemMessage(GetLastError());
}

}  // namespace platform::windows_backend
