#include "ui/win32/SystemAccess.h"

namespace ui::win32 {

namespace {

template <typename Fn>
Fn procIn(HMODULE library, const char* name) {
    return library ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)))
                   : nullptr;
}

}  // namespace

const Oleacc& oleacc() {
    static const Oleacc loaded = [] {
        Oleacc o;
        // The object goes to another process through COM, which this thread
        // must have joined (as a single-threaded apartment: the window's).
        using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
        if (auto init = procIn<CoInitializeExFn>(LoadLibraryW(L"ole32.dll"), "CoInitializeEx"))
            init(nullptr, COINIT_APARTMENTTHREADED);
        const HMODULE library = LoadLibraryW(L"oleacc.dll");
        const HMODULE automation = LoadLibraryW(L"oleaut32.dll");
        o.createStd = procIn<decltype(&CreateStdAccessibleObject)>(library, "CreateStdAccessibleObject");
        o.lresultFromObject = procIn<decltype(&LresultFromObject)>(library, "LresultFromObject");
        o.allocString = procIn<decltype(&SysAllocStringLen)>(automation, "SysAllocStringLen");
        o.freeString = procIn<decltype(&SysFreeString)>(automation, "SysFreeString");
        return o;
    }();
    return loaded;
}

const Automation& automation() {
    static const Automation loaded = [] {
        oleacc();  // COM joined, strings at hand
        Automation a;
        const HMODULE library = LoadLibraryW(L"uiautomationcore.dll");
        a.hostProvider = procIn<Automation::HostProviderFn>(library, "UiaHostProviderFromHwnd");
        a.raiseNotification = procIn<Automation::RaiseNotificationFn>(library, "UiaRaiseNotificationEvent");
        a.clientsListening = procIn<Automation::ListeningFn>(library, "UiaClientsAreListening");
        return a;
    }();
    return loaded;
}

}  // namespace ui::win32
