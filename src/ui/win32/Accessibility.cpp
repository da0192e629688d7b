#include "ui/win32/Accessibility.h"

// After windows.h, which it builds on.
#include <oleacc.h>

#include <string>

#include "platform/win32text/WideText.h"
#include "ui/win32/ControlView.h"
#include "ui/win32/SystemAccess.h"

namespace ui::win32 {

namespace {

LONG systemRole(form::Role role) {
    switch (role) {
        case form::Role::Label:
        case form::Role::Heading:  // MSAA has no heading; a window that is no dialog has no description
            return ROLE_SYSTEM_STATICTEXT;
        case form::Role::Button:
            return ROLE_SYSTEM_PUSHBUTTON;
        case form::Role::TickBox:
            return ROLE_SYSTEM_CHECKBUTTON;
        case form::Role::Status:
            return ROLE_SYSTEM_STATUSBAR;
        case form::Role::Picture:
            return ROLE_SYSTEM_GRAPHIC;
        default:  // a field or a read-only box; Hidden keeps the system's role
            return ROLE_SYSTEM_TEXT;
    }
}

// The model's words for a control, while it has a model.
bool describe(HWND control, form::Accessible& out) {
    const Adopted* entry = adopted(control);
    if (!entry || !entry->view) return false;
    out = form::accessibleOf(entry->view->control);
    return true;
}

bool isSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The system's object for a control, with the words of the control's model.
// Everything but name, value, description, role and a decoration's state is
// the system's: place, focus, navigation, actions.
class ControlObject final : public IAccessible {
public:
    ControlObject(HWND hwnd, IAccessible* system) : hwnd_(hwnd), system_(system) {}
    ControlObject(const ControlObject&) = delete;
    ControlObject& operator=(const ControlObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // IOleWindow, IEnumVARIANT and the like: the system object's own.
        return system_->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // Screen readers call the interface itself; late binding gets the system's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return system_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT n, LCID locale, ITypeInfo** info) override {
        return system_->GetTypeInfo(n, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return system_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argument) override {
        return system_->Invoke(id, iid, locale, flags, params, result, exception, argument);
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        form::Accessible a;
        if (!mine(child, a)) return system_->get_accName(child, out);
        return words(a.name, out, false);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        form::Accessible a;
        if (!mine(child, a) || a.role == form::Role::Label || a.role == form::Role::Heading ||
            a.role == form::Role::Button || a.role == form::Role::Picture || a.role == form::Role::Hidden)
            return system_->get_accValue(child, out);
        return words(a.value, out, true);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        form::Accessible a;
        if (!mine(child, a) || a.description.empty()) return system_->get_accDescription(child, out);
        return words(a.description, out, false);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        form::Accessible a;
        if (!mine(child, a) || a.role == form::Role::Hidden) return system_->get_accRole(child, out);
        if (!out) return E_POINTER;
        out->vt = VT_I4;
        out->lVal = systemRole(a.role);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        const HRESULT result = system_->get_accState(child, out);
        form::Accessible a;
        // Decoration is there for the eye only.
        if (SUCCEEDED(result) && out && out->vt == VT_I4 && mine(child, a) && a.role == form::Role::Hidden)
            out->lVal |= STATE_SYSTEM_INVISIBLE;
        return result;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override { return system_->get_accParent(out); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* out) override {
        return system_->get_accChildCount(out);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return system_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return system_->get_accHelp(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return system_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return system_->get_accKeyboardShortcut(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override { return system_->get_accFocus(out); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        return system_->get_accSelection(out);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return system_->get_accDefaultAction(child, out);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return system_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT child) override {
        return system_->accLocation(x, y, w, h, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* out) override {
        return system_->accNavigate(direction, start, out);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
        return system_->accHitTest(x, y, out);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return system_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return system_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return system_->put_accValue(child, value);
    }

private:
    ~ControlObject() { system_->Release(); }

    // The model's words for the control itself, while it has a model.
    bool mine(const VARIANT& child, form::Accessible& a) const { return isSelf(child) && describe(hwnd_, a); }

    // An empty name or description is none (S_FALSE); an empty value is "".
    static HRESULT words(const std::string& text, BSTR* out, bool emptyIsText) {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (text.empty() && !emptyIsText) return S_FALSE;
        const std::wstring wide = platform::toWide(text);
        *out = oleacc().allocString(wide.data(), static_cast<UINT>(wide.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    HWND hwnd_;
    IAccessible* system_;
    LONG refs_ = 1;
};

}  // namespace

LRESULT accessibleObject(HWND control, WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
    form::Accessible a;
    if (!describe(control, a)) return 0;
    const Oleacc& library = oleacc();
    if (!library.createStd || !library.lresultFromObject || !library.allocString) return 0;
    IAccessible* system = nullptr;
    if (FAILED(library.createStd(control, OBJID_CLIENT, __uuidof(IAccessible),
                                 reinterpret_cast<void**>(&system))) ||
        !system)
        return 0;
    auto* object = new ControlObject(control, system);
    // The result holds its own reference for the asker.
    const LRESULT result = library.lresultFromObject(__uuidof(IAccessible), wParam, object);
    object->Release();
    return result;
}

void announce(HWND control, const form::Accessible& before, const form::Accessible& now, bool textShown) {
    // The system tells of a window's new text itself, as a change of its name
    // (and an edit control's also of its value), and of a tick box's new
    // state: a reader that hears both would say the change twice.
    const bool valueIsText = now.role == form::Role::Field || now.role == form::Role::ReadOnly;
    const bool systemToldValue = (textShown && valueIsText) || now.role == form::Role::TickBox;
    if (now.name != before.name && !textShown)
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
    if (now.value != before.value && !systemToldValue)
        NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
    if (now.description != before.description)
        NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, control, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace ui::win32
