#include "platform/windows/Launch.h"

#include <windows.h>

#include <vector>

namespace platform::windows_backend {

namespace {

struct Candidate {
    std::wstring program;
    std::size_t end;  // where the rest of the line begins
};

// The program names the system tries for a command line, in its order.
std::vector<Candidate> candidates(const std::wstring& line) {
    if (!line.empty() && line.front() == L'"') {
        const std::size_t close = line.find(L'"', 1);
        if (close == std::wstring::npos) return {{line.substr(1), line.size()}};
        return {{line.substr(1, close - 1), close + 1}};
    }
    std::vector<Candidate> found;
    for (std::size_t at = 0; at <= line.size(); ++at) {
        if (at == line.size() || line[at] == L' ' || line[at] == L'\t') {
            if (at > 0 && line[at - 1] != L' ' && line[at - 1] != L'\t')
                found.push_back({line.substr(0, at), at});
        }
    }
    return found;
}

bool endsWithNoCase(const std::wstring& text, const wchar_t* tail) {
    const std::size_t length = wcslen(tail);
    return text.size() >= length &&
           CompareStringOrdinal(text.c_str() + text.size() - length, static_cast<int>(length), tail,
                                static_cast<int>(length), TRUE) == CSTR_EQUAL;
}

}  // namespace

LaunchPlan planLaunch(const std::wstring& commandLine, const ProgramSearch& search,
                      const std::wstring& interpreter) {
    for (const auto& candidate : candidates(commandLine)) {
        const auto program = search(candidate.program);
        if (!program) continue;
        if (!endsWithNoCase(*program, L".bat") && !endsWithNoCase(*program, L".cmd")) break;
        // /s: the interpreter takes off the outer quotes and nothing else.
        return {interpreter, L"\"" + interpreter + L"\" /s /c \"\"" + *program + L"\"" +
                                 commandLine.substr(candidate.end) + L"\""};
    }
    return {L"", commandLine};
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
