#include "ui/win32/Views.h"

#include "form/Pixels.h"
#include "model/about/PictureBox.h"
#include "model/pictures/DocumentPicture.h"
#include "model/pictures/RivaPicture.h"
#include "ui/win32/DrawingPainter.h"

namespace ui::win32 {

namespace {
constexpr const wchar_t* kPictureClass = L"VelmoraPicture";
}  // namespace

AboutView::AboutView(form::Window& window, HWND owner)
    : FormView(window, owner, kSecondaryFrame), picture_(model::pictures::rivaPicture()) {}

HWND AboutView::createOther(form::Control& control, DWORD style, int id) {
    if (!dynamic_cast<model::PictureBox*>(&control)) return nullptr;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance(), kPictureClass, &wc)) {
        wc.lpfnWndProc = pictureProc;
        wc.hInstance = instance();
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.lpszClassName = kPictureClass;
        RegisterClassExW(&wc);
    }
    // The box fits the picture and its sunken border, as the layout sized it.
    const form::PixelBox at = form::toPx(control.box, dpi());
    return CreateWindowExW(WS_EX_CLIENTEDGE, kPictureClass, L"", style, at.left, at.top, at.width, at.height,
                           hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(), &picture_);
}

LRESULT CALLBACK AboutView::pictureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The drawing hangs on a property, handed over at creation.
    constexpr const wchar_t* kDrawing = L"VelmoraDrawing";
    if (message == WM_NCCREATE)
        SetPropW(hwnd, kDrawing, reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (message == WM_NCDESTROY) RemovePropW(hwnd, kDrawing);
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (const auto* drawing = static_cast<const model::pictures::Drawing*>(GetPropW(hwnd, kDrawing))) {
            RECT client{};
            GetClientRect(hwnd, &client);
            paintDrawing(dc, *drawing, client);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;  // the picture covers it all
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool SingleSettingsView::paintButtonPicture(form::Control& control, HDC dc, const RECT& client) {
    if (control.name() != "BROWSE_FILE_BUTTON") return false;
    // Sized in pixels of a 96-dpi screen, then scaled.
    const int width = client.right - client.left, height = client.bottom - client.top;
    const auto [w, h] =
        model::pictures::documentPictureSize(MulDiv(width, 96, dpi()), MulDiv(height, 96, dpi()));
    const int pw = form::scalePx(w, dpi()), ph = form::scalePx(h, dpi());
    const RECT target{client.left + (width - pw) / 2, client.top + (height - ph) / 2,
                      client.left + (width - pw) / 2 + pw, client.top + (height - ph) / 2 + ph};
    paintDrawing(dc, model::pictures::documentPicture(w, h), target);
    return true;
}

void registerViews(Win32WindowHost& host) {
    host.setViewFactory("VELMORA_SETTINGS", [](form::Window& window, HWND owner) {
        return std::make_unique<FormView>(window, owner, kDialogFrame);
    });
    host.setViewFactory("VELMORA_SINGLE_SETTINGS_WINDOW", [](form::Window& window, HWND owner) {
        return std::make_unique<SingleSettingsView>(window, owner);
    });
    host.setViewFactory("VELMORA_ABOUT", [](form::Window& window, HWND owner) {
        return std::make_unique<AboutView>(window, owner);
    });
}

}  // namespace ui::win32
