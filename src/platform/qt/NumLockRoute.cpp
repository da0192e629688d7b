#include "platform/qt/NumLockRoute.h"

#include <cstdlib>
#include <string_view>

#include "platform/qt/RemoteDesktop.h"
#include "platform/wayland/VirtualKeyboard.h"

namespace platform::qt {

namespace {

const std::string kOnlyX11 = "NumLock presses reach only X11 programs in this Wayland session";

bool insideWaylandSession() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    const char* display = std::getenv("WAYLAND_DISPLAY");
    return (type != nullptr && std::string_view(type) == "wayland") || (display != nullptr && *display != 0);
}

// "a", "a and b", "a, b and c": each way that fell through, in the order tried.
std::string listed(const std::vector<std::string>& parts) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    return text;
}

}  // namespace

NumLockRoute::NumLockRoute(X11Keys x11) : x11_(std::move(x11)) {}

NumLockRoute::~NumLockRoute() = default;

bool NumLockRoute::undecided() const {
    return way_ == Way::Undecided && insideWaylandSession();
}

Result NumLockRoute::available() const {
    if (!insideWaylandSession()) return x11_.available();
    return way_ == Way::Undecided ? Result::success() : standing();
}

// Where a press reaches the compositor, nothing is said; where it does not,
// why each better way fell through.
Result NumLockRoute::standing() const {
    if (way_ == Way::Keyboard || way_ == Way::Portal) return Result::success();
    Result keys = x11_.available();
    if (!keys.ok) {
        std::vector<std::string> all = reasons_;
        all.push_back(keys.error);
        return Result::failure(listed(all));
    }
    keys.note = reasons_.empty() ? kOnlyX11 : kOnlyX11 + ": " + listed(reasons_);
    return keys;
}

Result NumLockRoute::choose() {
    if (!insideWaylandSession()) return x11_.available();
    if (way_ != Way::Undecided) return standing();
    keyboard_ = std::make_unique<wayland::VirtualKeyboard>();
    way_ = Way::Keyboard;
    if (const Result opened = keyboard_->open(); !opened.ok) next(opened.error);
    return standing();
}

void NumLockRoute::next(const std::string& why) {
    reasons_.push_back(why);
    keyboard_.reset();
    // The portal's question is asked once a run, whatever its answer.
    if (way_ != Way::Portal && !portal_) {
        portal_ = std::make_unique<RemoteDesktop>(tokenFile_);
        if (const Result offered = portal_->available(); offered.ok) {
            way_ = Way::Portal;
            portal_->onAnswer = [this](const Result& answer) {
                if (answer.ok || way_ != Way::Portal) return;
                next(answer.error);
                if (onChange) onChange(standing());
            };
            portal_->onQuestion = [this](bool open) {
                if (onQuestion) onQuestion(open);
            };
            portal_->onWarning = [this](const std::string& line) {
                if (onWarning) onWarning(line);
            };
            portal_->start(QString::fromStdString(parentWindow ? parentWindow() : std::string()));
            return;
        } else {
            reasons_.push_back(offered.error);
        }
    }
    way_ = Way::X11;
}

Result NumLockRoute::press() {
    if (way_ == Way::Keyboard) {
        if (const Result sent = keyboard_->pressNumLock(); sent.ok)
            return sent;
        else
            next(sent.error);
        if (way_ == Way::X11 && onChange) onChange(standing());
    }
    if (way_ == Way::Portal && portal_->state() == RemoteDesktop::State::Started) {
        if (const Result sent = portal_->pressNumLock(); sent.ok)
            return sent;
        else
            next(sent.error);
        if (onChange) onChange(standing());
    }
    // While the desktop has not answered, nothing is known yet: a press into
    // Xwayland may help meanwhile, and its failure is no answer to say.
    if (way_ == Way::Portal) {
        x11_.press();
        return Result::success();
    }
    return x11_.press();
}

}  // namespace platform::qt
