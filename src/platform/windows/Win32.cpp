#include "platform/windows/Win32.h"

#include <cwctype>
#include <memory>

#include "platform/win32text/WideText.h"

namespace platform::windows_backend {

namespace {

// Fills what FormatMessageW left as written: inserts ("%1", "%2!d!") and
// escapes ("%n", "%%"). Asking the system to fill inserts instead would make
// it read arguments of whatever kind each message declares.
std::wstring fillInserts(const std::wstring& text, const std::wstring& file) {
    std::wstring filled;
    filled.reserve(text.size() + file.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != L'%' || at + 1 == text.size()) {
            filled += text[at];
            continue;
        }
        const wchar_t next = text[++at];
        if (next >= L'1' && next <= L'9') {
            std::size_t last = at;  // the insert's last character
            while (last + 1 < text.size() && iswdigit(text[last + 1])) ++last;
            const bool first = last == at && next == L'1';
            // A format such as "!d!" belongs to the insert.
            if (last + 1 < text.size() && text[last + 1] == L'!') {
                const std::size_t close = text.find(L'!', last + 2);
                if (close != std::wstring::npos) last = close;
            }
            // Only the first insert of such a message names the file.
            filled += first ? (file.empty() ? L"the file" : file) : L"...";
            at = last;
        } else if (next == L'n' || next == L'r' || next == L't') {
            filled += L' ';
        } else if (next == L'0') {
            break;  // the message ends here
        } else {
            filled += next;  // "%%", "%.", "%!": the character itself
        }
    }
    return filled;
}

}  // namespace

std::string systemMessage(DWORD code, const std::string& file) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, decltype(&LocalFree)> owned(buffer, &LocalFree);
    std::wstring text = fillInserts(std::wstring(buffer != nullptr ? buffer : L"", length), toWide(file));
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) return "error " + std::to_string(code);
    return toUtf8(text);
}

std::wstring longPathName(const std::wstring& path) {
    std::wstring full(path.size() + 1, L'\0');
    for (;;) {
        const DWORD length = GetLongPathNameW(path.c_str(), full.data(), static_cast<DWORD>(full.size()));
        if (length == 0) return path;
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.assign(length, L'\0');  // the size it needs, its null included
    }
}

std::string lastErrorMessage(const std::string& file) {
    return systemMessage(GetLastError(), file);
}

}  // namespace platform::windows_backend
