#include "ui/win32/Announcer.h"

#include <iterator>

#include "platform/win32text/WideText.h"
#include "ui/win32/SystemAccess.h"

namespace ui::win32 {

namespace {

// NotificationKind_Other and NotificationProcessing_ImportantAll: each
// sentence is said, none dropped for a newer one.
constexpr int kKindOther = 4;
constexpr int kImportantAll = 0;
constexpr wchar_t kActivity[] = L"VelmoraAnnouncement";

}  // namespace

void Announcer::say(const std::string& sentence) {
    if (!window_ || !IsWindow(window_) || sentence.empty()) return;
    const std::wstring wide = platform::toWide(sentence);
    if (!notify(wide)) alert(wide);
}

bool Announcer::notify(const std::wstring& sentence) {
    const Automation& uia = automation();
    const Oleacc& ole = oleacc();
    if (!uia.hostProvider || !uia.raiseNotification || !ole.allocString || !ole.freeString) return false;
    // A reader that listens only through MSAA hears the alert instead.
    if (uia.clientsListening && !uia.clientsListening()) return false;
    IUnknown* provider = nullptr;
    if (FAILED(uia.hostProvider(window_, &provider)) || !provider) return false;
    const BSTR text = ole.allocString(sentence.data(), static_cast<UINT>(sentence.size()));
    const BSTR activity = ole.allocString(kActivity, static_cast<UINT>(std::size(kActivity) - 1));
    const HRESULT said = text && activity
                             ? uia.raiseNotification(provider, kKindOther, kImportantAll, text, activity)
                             : E_FAIL;
    ole.freeString(text);
    ole.freeString(activity);
    provider->Release();
    return SUCCEEDED(said);
}

void Announcer::alert(const std::wstring& sentence) {
    // Shown but of no size: a hidden object's events are not read, and the
    // user sees nothing. No Tab stop, no id of a control.
    if (!alert_ || !IsWindow(alert_))
        alert_ = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0, 0, 0, 0,
                                 window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!alert_) return;
    SetWindowTextW(alert_, sentence.c_str());
    NotifyWinEvent(EVENT_SYSTEM_ALERT, alert_, OBJID_CLIENT, CHILDID_SELF);
}

bool screenReaderRuns() {
    BOOL runs = FALSE;
    return SystemParametersInfoW(SPI_GETSCREENREADER, 0, &runs, 0) && runs;
}

}  // namespace ui::win32
