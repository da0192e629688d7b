#include "ui/win32/Names.h"

#include "platform/win32text/WideText.h"

namespace ui::win32 {

void setName(HWND hwnd, const std::string& name) {
    const ATOM atom = GlobalAddAtomW(platform::toWide(name).c_str());
    if (atom != 0) SetPropW(hwnd, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)));
}

void removeName(HWND hwnd) {
    const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(RemovePropW(hwnd, kNameProperty)));
    if (atom != 0) GlobalDeleteAtom(atom);
}

}  // namespace ui::win32
