// A stand-in for a program a slot starts:
//   velmora_test_helper.exe MARKER [WORDS...] [--until STOPFILE]
// writes MARKER (its own path, ProgramFolder, ExecutableName and the words,
// one a line), then with --until stays running until STOPFILE exists.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32text/WideText.h"
#include "platform/windows/WindowsPlatform.h"
#include "settings/Store.h"

int wmain(int argc, wchar_t** argv) {
    namespace fs = std::filesystem;
    if (argc < 2) return 2;
    const fs::path marker = argv[1];
    std::wstring words, stopFile;
    for (int i = 2; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--until" && i + 1 < argc) {
            stopFile = argv[++i];
        } else {
            words += (words.empty() ? L"" : L" ") + std::wstring(argv[i]);
        }
    }
    const std::string path = platform::WindowsPlatform::ProgramPath();
    {
        // Whole or not at all: the test reads it as soon as it appears.
        const fs::path partial = marker.wstring() + L".part";
        std::ofstream(partial, std::ios::binary) << path << '\n'
                                                 << platform::WindowsPlatform().ProgramFolder() << '\n'
                                                 << settings::ExecutableName(path) << '\n'
                                                 << platform::toUtf8(words) << '\n';
        if (!MoveFileExW(partial.c_str(), marker.c_str(), MOVEFILE_REPLACE_EXISTING)) return 3;
    }
    for (int waited = 0; !stopFile.empty() && waited < 120'000; waited += 50) {
        if (GetFileAttributesW(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES) break;
        Sleep(50);
    }
    return 0;
}
