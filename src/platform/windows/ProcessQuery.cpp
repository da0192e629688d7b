#include "platform/windows/ProcessQuery.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <tlhelp32.h>

#include <algorithm>

#include "platform/win32text/WideText.h"

namespace platform::windows_backend {

namespace {

bool sameFileName(const wchar_t* a, const std::wstring& b) {
    return CompareStringOrdinal(a, -1, b.c_str(), static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Walks a snapshot, giving `found` the id of each process named `name`.
template <typename Found>
ProcessQuery walkSnapshot(const std::wstring& name, Found&& found) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return {false, 0, "cannot list the running processes: " + lastErrorMessage()};
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    ProcessQuery answer;
    if (name.empty()) return answer;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (!sameFileName(entry.szExeFile, name)) continue;
        ++answer.count;
        found(entry.th32ProcessID);
    }
    return answer;
}

bool ended(const UniqueHandle& process) {
    return WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT;
}

// The file name of the program the process runs, through its handle.
bool runs(HANDLE process, const std::wstring& name) {
    std::wstring path(32768, L'\0');  // the longest path the system allows
    auto size = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process, 0, path.data(), &size)) return false;
    const std::wstring_view full(path.data(), size);
    const auto slash = full.find_last_of(L"\\/");
    const std::wstring file(slash == std::wstring_view::npos ? full : full.substr(slash + 1));
    return sameFileName(file.c_str(), name);
}

}  // namespace

ProcessQuery countMatchingProcesses(const std::wstring& name) {
    return walkSnapshot(name, [](DWORD) {});
}

ProcessQuery ProcessWatch::count(const std::string& name) {
    if (name != heldName_) held_.clear();
    std::erase_if(held_, ended);
    if (!held_.empty()) return {true, static_cast<int>(held_.size()), {}};
    const std::wstring wanted = toWide(name);
    std::vector<DWORD> found;
    const ProcessQuery answer = walkSnapshot(wanted, [&](DWORD id) { found.push_back(id); });
    hold(wanted, found);
    heldName_ = held_.empty() ? std::string() : name;
    return answer;
}

void ProcessWatch::hold(const std::wstring& name, const std::vector<DWORD>& ids) {
    for (DWORD id : ids) {
        UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
        // The id may have passed to another program between the snapshot and
        // the opening: the handle has to show the same program still running.
        if (process && !ended(process) && runs(process.get(), name)) held_.push_back(std::move(process));
    }
}

}  // namespace platform::windows_backend
