#include "app/windows/ErrorOutput.h"

#include <windows.h>

namespace app {

std::function<bool(const std::string&)> standardErrorWriter() {
    HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return {};
    // A handle that names no file, pipe or console is left over, not given.
    if (GetFileType(handle) == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR) return {};
    return [handle](const std::string& text) {
        // One write per line, so lines of two copies cannot interleave.
        DWORD written = 0;
        return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
    };
}

}  // namespace app
