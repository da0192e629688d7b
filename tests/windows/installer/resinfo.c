// Prints what the shell and the loader read from an executable's resources:
// its version strings, how many icons it carries and whether it has a manifest.
#include <windows.h>

#include <shellapi.h>
#include <stdio.h>

static void print_string(const void* info, const wchar_t* name) {
    wchar_t path[64];
    wchar_t* text = NULL;
    UINT len = 0;
    swprintf(path, 64, L"\\StringFileInfo\\040904B0\\%ls", name);
    if (VerQueryValueW(info, path, (void**)&text, &len) && len) wprintf(L"%ls=%ls\n", name, text);
}

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    DWORD size = GetFileVersionInfoSizeW(argv[1], NULL);
    void* info = size ? HeapAlloc(GetProcessHeap(), 0, size) : NULL;
    if (info && GetFileVersionInfoW(argv[1], 0, size, info)) {
        print_string(info, L"FileVersion");
        print_string(info, L"ProductVersion");
    }
    wprintf(L"icons=%u\n", ExtractIconExW(argv[1], -1, NULL, NULL, 0));
    HMODULE mod = LoadLibraryExW(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
    wprintf(L"manifest=%d\n", mod && FindResourceW(mod, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)) != NULL);
    return 0;
}
