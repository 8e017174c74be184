#pragma once

#include <memory>
#include <optional>
#include <string>

struct xkb_context;
struct xkb_keymap;

namespace brevanor {

// The session's keymap as xkbcommon holds it: the one the seat's keyboard
// announced where there is one, else the configured XKB layout (the
// XKB_DEFAULT_* variables, as compositors read them, else the system default).
// Replaying with this very keymap keeps the user's layouts: a virtual keyboard
// that announced another one would switch every client to it.
class WaylandKeymap {
public:
    // Nothing when xkbcommon can compile neither.
    static std::optional<WaylandKeymap> fromSeatOrConfiguration(const std::string& seatKeymap);

    xkb_keymap* keymap() const { return keymap_.get(); }
    // The keymap as XKB v1 text, the form a virtual keyboard uploads.
    std::string text() const;
    // The first layout's name as the keymap gives it (e.g. "English (US)"), or nothing.
    std::optional<std::string> layoutName() const;

private:
    struct Unref {
        void operator()(xkb_keymap* keymap) const;
    };
    explicit WaylandKeymap(std::shared_ptr<xkb_keymap> keymap) : keymap_(std::move(keymap)) {}

    std::shared_ptr<xkb_keymap> keymap_;
};

}  // namespace brevanor
