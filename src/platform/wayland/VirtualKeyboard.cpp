#include "platform/wayland/VirtualKeyboard.h"

#include <poll.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cerrno>
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
    bool alive() {
        if (wl_display_get_error(display) != 0) return false;
        while (wl_display_prepare_read(display) != 0)
            if (wl_display_dispatch_pending(display) < 0) return false;
        if (wl_display_flush(display) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(display);
            return false;
        }
        pollfd ready{wl_display_get_fd(display), POLLIN, 0};
        if (::poll(&ready, 1, 0) > 0) {
            if (wl_display_read_events(display) < 0) return false;
        } else {
            wl_display_cancel_read(display);
        }
        return wl_display_dispatch_pending(display) >= 0 && wl_display_get_error(display) == 0;
    }
};

VirtualKeyboard::VirtualKeyboard() = default;
VirtualKeyboard::~VirtualKeyboard() = default;

Result VirtualKeyboard::open() {
    connection_.reset();
    auto c = std::make_unique<Connection>();
    c->display = wl_display_connect(nullptr);
    if (c->display == nullptr) return Result::failure("no Wayland compositor answers");
    c->registry = wl_display_get_registry(c->display);
    static const wl_registry_listener listener{&Connection::global, &Connection::globalRemove};
    wl_registry_add_listener(c->registry, &listener, c.get());
    if (wl_display_roundtrip(c->display) < 0) return Result::failure("the Wayland compositor went away");
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
    if (wl_display_roundtrip(c->display) < 0 || wl_display_get_error(c->display) != 0)
        return Result::failure("the compositor refused a virtual keyboard");
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
