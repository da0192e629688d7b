// Counts processes by name both ways with many processes running:
//   bench_process_query.exe [EXTRA PROCESSES] [ROUNDS]
// The extra processes are copies of this program that wait until told to go.
#include <windows.h>
// After windows.h, which they build on.
#include <wbemidl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/windows/WideText.h"
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
        std::wstring line = L"\"" + self + L"\" --idle " + eventName;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &started)) {
            std::fprintf(stderr, "cannot start extra process %d\n", i);
            break;
        }
        CloseHandle(started.hThread);
        children.emplace_back(started.hProcess);
    }

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                         RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    const std::wstring exe = self.substr(self.find_last_of(L"\\/") + 1);
    const std::string name = platform::toUtf8(exe);
    platform::WindowsPlatform windows;
    std::vector<double> toolhelp, wmi;
    int toolhelpCount = 0, wmiFound = 0;
    wmiCount(exe);  // the first connection starts the service; not measured
    for (int round = 0; round < rounds; ++round) {
        toolhelp.push_back(millis([&] { toolhelpCount = windows.CountProcesses(name).count; }));
        wmi.push_back(millis([&] { wmiFound = wmiCount(exe); }));
    }
    SetEvent(go.get());
    for (const auto& child : children) WaitForSingleObject(child.get(), 60'000);
    CoUninitialize();

    const double t = median(toolhelp), w = median(wmi);
    std::printf("%zu extra processes, %d rounds; both count %d and %d processes named %s\n", children.size(),
                rounds, toolhelpCount, wmiFound, name.c_str());
    std::printf("toolhelp snapshot   median %8.2f ms\n", t);
    std::printf("wmi query (afresh)  median %8.2f ms\n", w);
    std::printf("ratio wmi/toolhelp  %8.1f\n", w / t);
    return toolhelpCount == wmiFound ? 0 : 1;
}
