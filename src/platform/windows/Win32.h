#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace platform::windows_backend {

// The system's own text for an error code (FormatMessageW), without the
// trailing line break; "error N" when the system has none. A text made to
// name a file ("%1 is not a valid Win32 application.") names `file`, or
// says "the file" when the caller knows none: no placeholder reaches a user.
std::string systemMessage(DWORD code, const std::string& file = {});

// The system's text for GetLastError(), for a Result to carry.
std::string lastErrorMessage(const std::string& file = {});

// The path with every short (8.3) name in it in its long form; as given
// when the system cannot tell (a file no longer there).
std::wstring longPathName(const std::wstring& path);

// A kernel handle closed when it goes out of scope.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset() {
        if (handle_ != nullptr) CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

// An open registry key closed when it goes out of scope.
class UniqueKey {
public:
    UniqueKey() = default;
    ~UniqueKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;

    HKEY get() const { return key_; }
    HKEY* put() { return &key_; }  // for the Reg*KeyEx call that opens it

private:
    HKEY key_ = nullptr;
};

}  // namespace platform::windows_backend
