#pragma once
// What a screen reader reads of a window, asked through oleacc as it asks.
#include <windows.h>
// After windows.h, which it builds on.
#include <oleacc.h>

#include <string>

namespace wintest {

struct ReadAloud {
    std::wstring name, value, description;
    long role = 0;  // 0 for what is marked invisible, as decoration is
};

inline ReadAloud readAloud(HWND window) {
    static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // for another program's
    ReadAloud read{L"?", L"?", L"", -1};
    IAccessible* object = nullptr;
    // MinGW's IID_IAccessible (liboleacc) is not the interface's GUID; __uuidof is.
    if (com < 0 || AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                              reinterpret_cast<void**>(&object)) != S_OK)
        return read;
    VARIANT self{}, role{}, state{};
    self.vt = VT_I4, self.lVal = CHILDID_SELF;
    BSTR name = nullptr, value = nullptr, description = nullptr;
    read.name = object->get_accName(self, &name) == S_OK && name ? name : L"";
    read.value = object->get_accValue(self, &value) == S_OK && value ? value : L"";
    read.description =
        object->get_accDescription(self, &description) == S_OK && description ? description : L"";
    SysFreeString(name), SysFreeString(value), SysFreeString(description);
    object->get_accRole(self, &role), object->get_accState(self, &state);
    read.role = state.vt == VT_I4 && (state.lVal & STATE_SYSTEM_INVISIBLE) ? 0
                : role.vt == VT_I4                                         ? role.lVal
                                                                           : -1;
    object->Release();
    return read;
}

}  // namespace wintest
