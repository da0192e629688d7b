#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace wintest {

namespace fs = std::filesystem;

// A fresh folder under the user's temporary folder, removed with everything
// in it at the end of the test.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// The test helper program, built beside the test programs.
fs::path helperProgram();

// Runs a command line, waits for it and gives its exit code; -1 when it did
// not start or did not end within the time.
int runAndWait(const std::wstring& commandLine, std::chrono::milliseconds limit = std::chrono::seconds(60));

// Asks `done` until it says yes or the time is up, handling this thread's
// window messages meanwhile; the last answer.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20));

std::string readFile(const fs::path& file);
void writeFile(const fs::path& file, const std::string& bytes);

// A name no other run of the tests uses at the same time.
std::string uniqueName(const std::string& stem);

}  // namespace wintest
