#include "platform/wayland/VirtualKeyboard.h"

#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace platform::wayland {

namespace {

// The keyboard's keymap when the system has no keyboard descriptions to build
// the usual one from: one key, NumLock, locking NumLock.
constexpr const char* kOneKeyMap = R"(xkb_keymap {
xkb_keycodes "velmora" { minimum = 8; maximum = 255; <NMLK> = 77; };
xkb_types "velmora" { virtual_modifiers NumLock;
  type "ONE_LEVEL" { modifiers = none; level_name[Level1] = "Any"; }; };
xkb_compatibility "velmora" { virtual_modifiers NumLock;
  interpret Num_Lock { action = LockMods(modifiers = NumLock); }; };
xkb_symbols "velmora" { key <NMLK> { [ Num_Lock ] }; modifier_map Mod2 { <NMLK> }; };
};
)";

// The keymap as text and its NumLock key's evdev code (XKB codes are 8 more).
struct Keymap {
    std::string text;
    std::uint32_t numLock = 0;
};

std::uint32_t numLockKey(xkb_keymap* keymap) {
    const xkb_keycode_t last = xkb_keymap_max_keycode(keymap);
    for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap); key <= last && key >= 8; ++key) {
        const xkb_keysym_t* syms = nullptr;
        const int n = xkb_keymap_key_get_syms_by_level(keymap, key, 0, 0, &syms);
        for (int i = 0; i < n; ++i)
            if (syms[i] == XKB_KEY_Num_Lock) return key - 8;
    }
    return 0;
}

// The system's default keymap (XKB_DEFAULT_* may name the user's), or the
// one-key map where that has no NumLock or cannot be built.
Keymap buildKeymap() {
    Keymap made;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (context == nullptr) return made;
    for (int attempt = 0; attempt < 2 && made.numLock == 0; ++attempt) {
        xkb_keymap* keymap = attempt == 0
                                 ? xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS)
                                 : xkb_keymap_new_from_string(context, kOneKeyMap, XKB_KEYMAP_FORMAT_TEXT_V1,
                                                              XKB_KEYMAP_COMPILE_NO_FLAGS);
        if (keymap == nullptr) continue;
        made.numLock = numLockKey(keymap);
        if (char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1)) {
            made.text = text;
            std::free(text);
        }
        xkb_keymap_unref(keymap);
    }
    xkb_context_unref(context);
    return made;
}

using Clock = std::chrono::steady_clock;

// How long the compositor has to answer before the window goes on without
// it: a stopped compositor must not hold the window.
constexpr std::chrono::milliseconds kAnswerLimit{1000};
const std::string kNoAnswer = "the Wayland compositor did not answer within a second";

int millisLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// The compositor's socket, as libwayland would find it, connected without
// blocking: a listener whose queue is full is retried until the deadline.
// A socket handed over in WAYLAND_SOCKET is taken as libwayland takes it.
wl_display* connectBefore(Clock::time_point deadline, std::string& why) {
    why = "no Wayland compositor answers";
    if (const char* handed = std::getenv("WAYLAND_SOCKET"); handed != nullptr && *handed != 0)
        return wl_display_connect(nullptr);
    const char* name = std::getenv("WAYLAND_DISPLAY");
    std::string path = name != nullptr && *name != 0 ? name : "wayland-0";
    if (path.front() != '/') {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime == nullptr || *runtime == 0) return nullptr;
        path = std::string(runtime) + "/" + path;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return nullptr;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return nullptr;
    for (;;) {
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return wl_display_connect_to_fd(fd);  // which owns the socket from here on
        if (errno != EAGAIN && errno != EINTR) break;
        if (millisLeft(deadline) == 0) {
            why = kNoAnswer;
            break;
        }
        ::poll(nullptr, 0, 20);
    }
    ::close(fd);
    return nullptr;
}

// What one exchange with the compositor came to.
enum class Exchange { Done, Waiting, Broken };

// Sends what is queued, reads what has come within `waitMs` and handles it.
// Events already read are handled first, and then nothing is waited for.
Exchange exchange(wl_display* display, int waitMs) {
    if (wl_display_get_error(display) != 0) return Exchange::Broken;
    int handled = 0;
    while (wl_display_prepare_read(display) != 0) {
        const int n = wl_display_dispatch_pending(display);
        if (n < 0) return Exchange::Broken;
        handled += n;
    }
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display);
        return Exchange::Broken;
    }
    pollfd ready{wl_display_get_fd(display), POLLIN, 0};
    const int polled = ::poll(&ready, 1, handled > 0 ? 0 : waitMs);
    if (polled <= 0) {
        wl_display_cancel_read(display);
        if (polled < 0 && errno != EINTR) return Exchange::Broken;
        return handled > 0 ? Exchange::Done : Exchange::Waiting;
    }
    if (wl_display_read_events(display) < 0) return Exchange::Broken;
    if (wl_display_dispatch_pending(display) < 0 || wl_display_get_error(display) != 0)
        return Exchange::Broken;
    return Exchange::Done;
}

// A round trip that gives up at the deadline: empty when the compositor
// answered everything sent so far, else why not.
std::string roundTripBefore(wl_display* display, Clock::time_point deadline) {
    bool answered = false;
    wl_callback* sync = wl_display_sync(display);
    static const wl_callback_listener listener{
        [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }};
    wl_callback_add_listener(sync, &listener, &answered);
    std::string why;
    while (!answered && why.empty()) {
        const Exchange got = exchange(display, millisLeft(deadline));
        if (got == Exchange::Broken) why = "the Wayland compositor went away";
        if (got == Exchange::Waiting && millisLeft(deadline) == 0) why = kNoAnswer;
    }
    wl_callback_destroy(sync);
    return why;
}

std::uint32_t nowMillis() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1'000'000);
}

}  // namespace

struct VirtualKeyboard::Connection {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    zwp_virtual_keyboard_manager_v1* manager = nullptr;
    zwp_virtual_keyboard_v1* keyboard = nullptr;
    std::uint32_t numLock = 0;

    ~Connection() {
        if (keyboard != nullptr) zwp_virtual_keyboard_v1_destroy(keyboard);
        if (manager != nullptr) zwp_virtual_keyboard_manager_v1_destroy(manager);
        if (seat != nullptr) wl_seat_destroy(seat);
        if (registry != nullptr) wl_registry_destroy(registry);
        if (display != nullptr) wl_display_disconnect(display);
    }

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t /*version*/) {
        auto* self = static_cast<Connection*>(data);
        if (self->seat == nullptr && std::strcmp(interface, wl_seat_interface.name) == 0)
            self->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        else if (self->manager == nullptr &&
                 std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
            self->manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
                wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}

    // Reads and handles what the compositor sent, without waiting for more:
    // false when the connection is gone or the compositor refused a request.
    bool alive() { return exchange(display, 0) != Exchange::Broken; }
};

VirtualKeyboard::VirtualKeyboard() = default;
VirtualKeyboard::~VirtualKeyboard() = default;

Result VirtualKeyboard::open() {
    connection_.reset();
    const auto deadline = Clock::now() + kAnswerLimit;
    auto c = std::make_unique<Connection>();
    std::string why;
    c->display = connectBefore(deadline, why);
    if (c->display == nullptr) return Result::failure(why);
    c->registry = wl_display_get_registry(c->display);
    static const wl_registry_listener listener{&Connection::global, &Connection::globalRemove};
    wl_registry_add_listener(c->registry, &listener, c.get());
    if (why = roundTripBefore(c->display, deadline); !why.empty()) return Result::failure(why);
    if (c->manager == nullptr)
        return Result::failure("the compositor offers no virtual keyboard (zwp_virtual_keyboard_manager_v1)");
    if (c->seat == nullptr) return Result::failure("the compositor has no seat for a keyboard");

    const Keymap keymap = buildKeymap();
    if (keymap.numLock == 0) return Result::failure("no keymap with NumLock could be built");
    // The compositor maps the keymap from a file of its own.
    const int fd = ::memfd_create("velmora-keymap", MFD_CLOEXEC);
    if (fd < 0) return Result::failure(std::string("no memory file for the keymap: ") + std::strerror(errno));
    const std::size_t size = keymap.text.size() + 1;
    const bool written = ::write(fd, keymap.text.c_str(), size) == static_cast<ssize_t>(size);
    if (written) {
        c->keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(c->manager, c->seat);
        zwp_virtual_keyboard_v1_keymap(c->keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                       static_cast<std::uint32_t>(size));
    }
    ::close(fd);  // the request carries a copy
    if (!written) return Result::failure("the keymap could not be written");
    if (why = roundTripBefore(c->display, deadline); why == kNoAnswer) return Result::failure(why);
    if (!why.empty()) return Result::failure("the compositor refused a virtual keyboard");
    c->numLock = keymap.numLock;
    connection_ = std::move(c);
    return Result::success();
}

Result VirtualKeyboard::pressNumLock() {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!connection_ || !connection_->alive()) {
            if (const Result opened = open(); !opened.ok) return opened;
        }
        Connection& c = *connection_;
        const std::uint32_t time = nowMillis();
        zwp_virtual_keyboard_v1_key(c.keyboard, time, c.numLock, WL_KEYBOARD_KEY_STATE_PRESSED);
        zwp_virtual_keyboard_v1_key(c.keyboard, time, c.numLock, WL_KEYBOARD_KEY_STATE_RELEASED);
        if (c.alive()) return Result::success();
        connection_.reset();
    }
    return Result::failure("the Wayland compositor went away");
}

}  // namespace platform::wayland
