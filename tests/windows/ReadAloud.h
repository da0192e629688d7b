#pragma once
// What a screen reader reads of a window, through the system's accessibility
// interface (oleacc), as it asks another program.

#include <windows.h>
// After windows.h, which it builds on.
#include <oleacc.h>

#include <string>

namespace wintest {

struct ReadAloud {
    std::wstring name, value;
    long role = 0, state = 0;
    bool hidden() const { return (state & STATE_SYSTEM_INVISIBLE) != 0; }
};

inline ReadAloud readAloud(HWND window) {
    // Objects from another program come through COM.
    static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)com;
    ReadAloud read;
    IAccessible* object = nullptr;
    // IID_IAccessible as MinGW's liboleacc has it is not the interface's GUID.
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return read;
    VARIANT self{}, result{};
    self.vt = VT_I4, self.lVal = CHILDID_SELF;
    const auto take = [](BSTR text, std::wstring& into) { into = text ? text : L"", SysFreeString(text); };
    BSTR text = nullptr;
    if (object->get_accName(self, &text) == S_OK) take(text, read.name);
    if (text = nullptr; object->get_accValue(self, &text) == S_OK) take(text, read.value);
    if (SUCCEEDED(object->get_accRole(self, &result)) && result.vt == VT_I4) read.role = result.lVal;
    if (SUCCEEDED(object->get_accState(self, &result)) && result.vt == VT_I4) read.state = result.lVal;
    object->Release();
    return read;
}

}  // namespace wintest
