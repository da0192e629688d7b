#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace platform::windows_backend {

// What CreateProcessW is given for a command line as typed.
struct LaunchPlan {
    std::wstring application;  // empty: none, the system takes the program from the command line
    std::wstring commandLine;
    std::wstring program;  // the program file as found, else the first word: names it in a failure
};

// CreateProcessW takes at most 32,767 characters, the terminating null
// included.
constexpr std::size_t kMaxCommandLine = 32767 - 1;
// What a launch says when the line is longer, or its variables would make it so.
extern const char* const kCommandTooLong;
// What it says when an expandable command's variables leave no program to start.
extern const char* const kExpandsToNothing;

// Finds a program file the way the system searches for one (a name without
// extension gets ".exe"); its full path, or nothing.
using ProgramSearch = std::function<std::optional<std::wstring>(const std::wstring& name)>;

// The command line goes to CreateProcessW unchanged, which finds the program
// by the system's own rule: a quoted first word, or else each run of words
// up to a blank in turn ("C:\Program Files\Tool\tool.exe -x" starts). A batch
// file cannot be started that way by the documented interface: the command
// interpreter runs it (`interpreter` /s /c, the batch file quoted and the rest
// of the line as typed), as the system itself starts one. The runs of words
// are tried one at a time, so a long line costs memory in proportion to it,
// and none past a name longer than any file system keeps (255 characters).
LaunchPlan planLaunch(const std::wstring& commandLine, const ProgramSearch& search,
                      const std::wstring& interpreter);

// The text with each %NAME% of a set environment variable replaced by its
// value (ExpandEnvironmentStringsW); an unset one stays as written. Nothing
// when the system cannot expand it whole within the kMaxCommandLine
// characters a command line takes.
std::optional<std::wstring> expandVariables(const std::wstring& text);

// The system's search (SearchPathW), for planLaunch.
std::optional<std::wstring> searchProgram(const std::wstring& name);

// The command interpreter in the system folder.
std::wstring commandInterpreter();

}  // namespace platform::windows_backend
