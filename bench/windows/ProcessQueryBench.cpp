// Counts processes by name with many processes running, interleaved in each
// round: a Toolhelp snapshot walked for the name (the floor, and what every
// poll did before a wait held its processes), a WMI query through COM, and a
// held wait's poll while the awaited process runs:
//   bench_process_query.exe [EXTRA PROCESSES] [ROUNDS]
// The extra processes are copies of this program that wait until told to go;
// the awaited one is a copy under a name of its own.
#include <windows.h>
// After windows.h, which they build on.
#include <wbemidl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32text/WideText.h"
#include "platform/windows/ProcessQuery.h"
#include "platform/windows/Win32.h"
#include "platform/windows/WindowsPlatform.h"

namespace {

using platform::windows_backend::UniqueHandle;

// Releases a COM interface when it goes out of scope.
template <typename T>
class Com {
public:
    ~Com() {
        if (p_ != nullptr) p_->Release();
    }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** put() { return &p_; }

private:
    T* p_ = nullptr;
};

// The query the classic program ran, through a new connection each time.
int wmiCount(const std::wstring& name) {
    Com<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                reinterpret_cast<void**>(locator.put()))))
        return -1;
    Com<IWbemServices> services;
    BSTR root = SysAllocString(L"ROOT\\CIMV2");
    const HRESULT connected =
        locator->ConnectServer(root, nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.put());
    SysFreeString(root);
    if (FAILED(connected)) return -1;
    CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    BSTR language = SysAllocString(L"WQL");
    BSTR query = SysAllocString((L"SELECT Name FROM Win32_Process WHERE Name='" + name + L"'").c_str());
    Com<IEnumWbemClassObject> results;
    const HRESULT ran = services->ExecQuery(language, query, WBEM_FLAG_FORWARD_ONLY, nullptr, results.put());
    SysFreeString(language);
    SysFreeString(query);
    if (FAILED(ran)) return -1;
    int count = 0;
    for (;;) {
        Com<IWbemClassObject> object;
        ULONG got = 0;
        if (results->Next(static_cast<LONG>(WBEM_INFINITE), 1, object.put(), &got) != WBEM_S_NO_ERROR ||
            got == 0)
            break;
        ++count;
    }
    return count;
}

template <typename F>
double millis(F&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The middle half of the rounds, as "low..high" in ms.
std::string spread(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    char text[64];
    std::snprintf(text, sizeof text, "%.4f..%.4f", values[values.size() / 4], values[values.size() * 3 / 4]);
    return text;
}

UniqueHandle startIdle(const std::wstring& program, const std::wstring& eventName) {
    std::wstring line = L"\"" + program + L"\" --idle " + eventName;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return {};
    CloseHandle(started.hThread);
    return UniqueHandle(started.hProcess);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring self = platform::toWide(platform::WindowsPlatform::ProgramPath());
    if (argc == 3 && std::wstring(argv[1]) == L"--idle") {
        UniqueHandle go(OpenEventW(SYNCHRONIZE, FALSE, argv[2]));
        WaitForSingleObject(go.get(), 600'000);
        return 0;
    }
    const int extra = argc > 1 ? _wtoi(argv[1]) : 300;
    const int rounds = argc > 2 ? _wtoi(argv[2]) : 21;
    const std::wstring eventName = L"Local\\velmora-bench-" + std::to_wstring(GetCurrentProcessId());
    UniqueHandle go(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));

    std::vector<UniqueHandle> children;
    for (int i = 0; i < extra; ++i) {
        children.push_back(startIdle(self, eventName));
        if (!children.back()) {
            std::fprintf(stderr, "cannot start extra process %d: %s\n", i,
                         platform::windows_backend::lastErrorMessage().c_str());
            children.pop_back();
            break;
        }
    }
    // The awaited process, a copy beside this program.
    const std::wstring awaitedName = L"velmora-held-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    const std::wstring awaited = self.substr(0, self.find_last_of(L"\\/") + 1) + awaitedName;
    if (!CopyFileW(self.c_str(), awaited.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy this program for the awaited process\n");
        return 1;
    }
    children.push_back(startIdle(awaited, eventName));

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                         RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    const std::wstring exe = self.substr(self.find_last_of(L"\\/") + 1);
    const std::string name = platform::toUtf8(exe);
    platform::WindowsPlatform windows;
    const std::string awaitedUtf8 = platform::toUtf8(awaitedName);
    // The wait's first poll finds the awaited process (once it runs) and holds it.
    for (int tries = 0; tries < 100 && windows.CountProcesses(awaitedUtf8).count == 0; ++tries) Sleep(50);
    std::vector<double> toolhelp, wmi, held;
    int toolhelpCount = 0, wmiFound = 0;
    bool heldWrong = false;
    wmiCount(exe);  // the first connection starts the service; not measured
    for (int round = 0; round < rounds; ++round) {
        toolhelp.push_back(
            millis([&] { toolhelpCount = platform::windows_backend::countMatchingProcesses(exe).count; }));
        held.push_back(millis([&] { heldWrong |= windows.CountProcesses(awaitedUtf8).count != 1; }));
        wmi.push_back(millis([&] { wmiFound = wmiCount(exe); }));
    }
    SetEvent(go.get());
    for (const auto& child : children) WaitForSingleObject(child.get(), 60'000);
    DeleteFileW(awaited.c_str());
    CoUninitialize();

    const double t = median(toolhelp), w = median(wmi), h = median(held);
    std::printf(
        "%zu extra processes and the awaited one, %d rounds; snapshot and WMI count %d and %d "
        "processes named %s\n",
        children.size() - 1, rounds, toolhelpCount, wmiFound, name.c_str());
    std::printf("%-36s %10s %8s  %s\n", "median of one poll", "ms", "x floor", "middle half, ms");
    std::printf("%-36s %10.4f %8.4f  %s\n", "held wait while the process runs", h, h / t,
                spread(held).c_str());
    std::printf("%-36s %10.4f %8.4f  %s\n", "floor: snapshot (every poll before)", t, 1.0,
                spread(toolhelp).c_str());
    std::printf("%-36s %10.4f %8.4f  %s\n", "wmi query (afresh)", w, w / t, spread(wmi).c_str());
    if (heldWrong) std::fprintf(stderr, "the held wait lost its process\n");
    return toolhelpCount == wmiFound && !heldWrong ? 0 : 1;
}
