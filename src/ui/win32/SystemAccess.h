#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <oleacc.h>

namespace ui::win32 {

// oleacc and what it needs of COM, loaded at the first question of a screen
// reader; none of them is imported, so that a start without one loads none.
struct Oleacc {
    decltype(&CreateStdAccessibleObject) createStd = nullptr;
    decltype(&LresultFromObject) lresultFromObject = nullptr;
    decltype(&SysAllocStringLen) allocString = nullptr;
    decltype(&SysFreeString) freeString = nullptr;
};
const Oleacc& oleacc();

// UI Automation's notification (Windows 10 1709 and later), loaded at the
// first announcement; any of these is null where the system lacks it.
struct Automation {
    using HostProviderFn = HRESULT(WINAPI*)(HWND, IUnknown**);
    using RaiseNotificationFn = HRESULT(WINAPI*)(IUnknown*, int kind, int processing, BSTR text,
                                                 BSTR activity);
    using ListeningFn = BOOL(WINAPI*)();
    HostProviderFn hostProvider = nullptr;
    RaiseNotificationFn raiseNotification = nullptr;
    ListeningFn clientsListening = nullptr;
};
const Automation& automation();

}  // namespace ui::win32
