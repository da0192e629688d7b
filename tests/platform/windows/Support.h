#pragma once
// What the Windows test programs share beyond tests/support: polling that
// keeps this thread's windows answering, running a command to its end, and
// names no other run uses.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "support/Files.h"
#include "support/Markers.h"
#include "support/TempFolder.h"

namespace wintest {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;
using testing_support::epochMillis;
using testing_support::MarkerLog;
using testing_support::readFile;
using testing_support::TempFolder;
using testing_support::writeFile;

// Asks `done` until it says yes or the time is up, handling this thread's
// window messages meanwhile; the last answer.
bool waitUntil(const std::function<bool()>& done, Millis limit = 20s);
// Waits the time out, handling this thread's window messages.
void pause(Millis time);

// Runs a command line, waits for it and gives its exit code; -1 when it did
// not start or did not end within the time.
int runAndWait(const std::wstring& commandLine, Millis limit = 60s);

// A name no other run of the tests uses at the same time.
std::string uniqueName(const std::string& stem);

}  // namespace wintest
