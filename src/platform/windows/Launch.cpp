#include "platform/windows/Launch.h"

#include <windows.h>

#include <algorithm>

namespace platform::windows_backend {

namespace {

// The longest file or folder name Windows' file systems keep (NTFS, FAT,
// exFAT and ReFS alike; GetVolumeInformationW's maximum component length).
constexpr std::size_t kMaxFileName = 255;

bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Calls `found(program, end)` for each program name the system tries for a
// command line, in its order, until it answers true; `end` is where the
// rest of the line begins. Each name is made only when its turn comes.
template <typename Found>
void forEachCandidate(const std::wstring& line, Found found) {
    if (!line.empty() && line.front() == L'"') {
        const std::size_t close = line.find(L'"', 1);
        if (close == std::wstring::npos) {
            found(line.substr(1), line.size());
        } else {
            found(line.substr(1, close - 1), close + 1);
        }
        return;
    }
    std::size_t nameBegins = 0;  // of the last part of the path so far
    for (std::size_t at = 1; at <= line.size(); ++at) {
        if (line[at - 1] == L'\\' || line[at - 1] == L'/') nameBegins = at;
        // No file system keeps a longer name, and every later run of words
        // holds this one: a long line of words is not searched for to its end.
        if (at - nameBegins > kMaxFileName) return;
        const bool wordEnds = (at == line.size() || isBlank(line[at])) && !isBlank(line[at - 1]);
        if (wordEnds && found(line.substr(0, at), at)) return;
    }
}

std::wstring firstWord(const std::wstring& line) {
    if (!line.empty() && line.front() == L'"') return line.substr(1, line.find(L'"', 1) - 1);
    return line.substr(0, std::min(line.find_first_of(L" \t"), line.size()));
}

bool endsWithNoCase(const std::wstring& text, const wchar_t* tail) {
    const std::size_t length = wcslen(tail);
    return text.size() >= length &&
           CompareStringOrdinal(text.c_str() + text.size() - length, static_cast<int>(length), tail,
                                static_cast<int>(length), TRUE) == CSTR_EQUAL;
}

}  // namespace

const char* const kCommandTooLong = "the command is longer than the 32,767 characters Windows allows";
const char* const kExpandsToNothing = "the command expands to nothing";

LaunchPlan planLaunch(const std::wstring& commandLine, const ProgramSearch& search,
                      const std::wstring& interpreter) {
    LaunchPlan plan{L"", commandLine, firstWord(commandLine)};
    forEachCandidate(commandLine, [&](const std::wstring& candidate, std::size_t end) {
        auto program = search(candidate);
        if (!program) return false;
        plan.program = std::move(*program);
        if (endsWithNoCase(plan.program, L".bat") || endsWithNoCase(plan.program, L".cmd")) {
            // /s: the interpreter takes off the outer quotes and nothing else.
            plan.application = interpreter;
            plan.commandLine = L"\"" + interpreter + L"\" /s /c \"\"" + plan.program + L"\"" +
                               commandLine.substr(end) + L"\"";
        }
        return true;
    });
    return plan;
}

std::optional<std::wstring> expandVariables(const std::wstring& text) {
    std::wstring expanded(std::min(text.size(), kMaxCommandLine) + 1, L'\0');
    for (;;) {
        const DWORD needed =
            ExpandEnvironmentStringsW(text.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
        // The size it needs, its null included; no command line takes more.
        // Wine differs here: given room for more than that, it fills only
        // 32,766 characters yet answers the full size (error 122), as if
        // all of it fitted.
        if (needed == 0 || needed > kMaxCommandLine + 1) return std::nullopt;
        if (needed > expanded.size()) {
            expanded.assign(needed, L'\0');
            continue;
        }
        // Filled with less than it said: cut short, not to be run.
        if (wcslen(expanded.c_str()) != needed - 1) return std::nullopt;
        expanded.resize(needed - 1);
        return expanded;
    }
}

std::optional<std::wstring> searchProgram(const std::wstring& name) {
    if (name.empty()) return std::nullopt;
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = SearchPathW(nullptr, name.c_str(), L".exe", static_cast<DWORD>(path.size()),
                                         path.data(), nullptr);
        if (length == 0) return std::nullopt;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.assign(length, L'\0');
    }
    // A folder of that name is not a program.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::nullopt;
    return path;
}

std::wstring commandInterpreter() {
    std::wstring folder(MAX_PATH, L'\0');
    const UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    folder.resize(length < folder.size() ? length : 0);
    return folder + L"\\cmd.exe";
}

}  // namespace platform::windows_backend
