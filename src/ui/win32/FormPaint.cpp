#include "ui/win32/FormView.h"

#include <algorithm>

#include "form/Pixels.h"
#include "ui/win32/ControlView.h"

// Colours and pictures the system's own drawing leaves to the window.
namespace ui::win32 {

LRESULT FormView::customDraw(ControlView& view, NMCUSTOMDRAW& draw) {
    if (view.kind != Kind::Button) return CDRF_DODEFAULT;
    if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYPOSTPAINT;
    if (draw.dwDrawStage == CDDS_POSTPAINT) {
        RECT client{};
        GetClientRect(view.hwnd, &client);
        paintButtonPicture(view.control, draw.hdc, client);
    }
    return CDRF_DODEFAULT;
}

LRESULT FormView::colours(HWND control, HDC dc, UINT message, WPARAM wParam, LPARAM lParam) {
    const ControlView* view = viewOf(control);
    if (!view) return DefWindowProcW(hwnd_, message, wParam, lParam);
    const form::Control& c = view->control;
    // Disabled text keeps the system's grey.
    if (c.enabled()) SetTextColor(dc, toColorRef(c.foreColour()));
    SetBkColor(dc, toColorRef(c.backColour()));
    return reinterpret_cast<LRESULT>(brushes_.brush(c.backColour()));
}

void FormView::paintLines(HDC dc) {
    for (const form::Line& line : window_.lines) {
        LOGBRUSH brush{BS_SOLID, toColorRef(line.colour), 0};
        const int width = std::max(1, form::scalePx(line.width, dpi_));
        UniquePen pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, static_cast<DWORD>(width),
                                   &brush, 0, nullptr));
        if (!pen) continue;
        const HGDIOBJ old = SelectObject(dc, pen.get());
        MoveToEx(dc, form::toPx(line.x1, dpi_), form::toPx(line.y1, dpi_), nullptr);
        LineTo(dc, form::toPx(line.x2, dpi_), form::toPx(line.y2, dpi_));
        SelectObject(dc, old);
    }
}

}  // namespace ui::win32
