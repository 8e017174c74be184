#include "platform/x11/X11ModifierMap.h"

#include <memory>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/x11/X11Owned.h"

namespace brevanor {

namespace {

// A key grab names exactly one modifier for a flag: the lowest of those that hold it.
unsigned int lowestBit(unsigned int mask) { return mask & (~mask + 1); }

}  // namespace

X11ModifierMap::X11ModifierMap()
    : altMask_(Mod1Mask), altGrMask_(Mod5Mask), superMask_(Mod4Mask), numLockMask_(Mod2Mask) {}

X11ModifierMap X11ModifierMap::fromServer(Display* display) {
    X11ModifierMap map;
    const std::unique_ptr<XModifierKeymap, X11Release<XFreeModifiermap>> modifiers(
        display ? XGetModifierMapping(display) : nullptr);
    if (!modifiers) return map;
    unsigned int alt = 0, altGr = 0, super = 0, numLock = 0;
    // Rows 3..7 are Mod1..Mod5; each row lists the key codes that set it.
    for (int row = 3; row < 8; ++row) {
        const unsigned int mask = 1u << row;
        for (int column = 0; column < modifiers->max_keypermod; ++column) {
            const KeyCode key = modifiers->modifiermap[row * modifiers->max_keypermod + column];
            if (key == 0) continue;
            const KeySym sym = XkbKeycodeToKeysym(display, key, 0, 0);
            if (sym == XK_Alt_L || sym == XK_Alt_R || sym == XK_Meta_L || sym == XK_Meta_R) alt |= mask;
            if (sym == XK_ISO_Level3_Shift || sym == XK_Mode_switch) altGr |= mask;
            if (sym == XK_Super_L || sym == XK_Super_R) super |= mask;
            if (sym == XK_Num_Lock) numLock |= mask;
        }
    }
    // A modifier the keymap does not hold keeps the usual assignment.
    if (alt) map.altMask_ = alt;
    if (altGr) map.altGrMask_ = altGr & ~map.altMask_;
    if (super) map.superMask_ = super;
    if (numLock) map.numLockMask_ = numLock;
    return map;
}

std::uint64_t X11ModifierMap::eventFlags(unsigned int xState) const {
    std::uint64_t flags = 0;
    if (xState & ShiftMask) flags |= kShiftFlag;
    if (xState & ControlMask) flags |= kControlFlag;
    if (xState & LockMask) flags |= kCapsLockFlag;
    if (xState & (altMask_ | altGrMask_)) flags |= kOptionFlag;
    if (xState & superMask_) flags |= kCommandFlag;
    return flags;
}

unsigned int X11ModifierMap::xState(std::uint64_t eventFlags) const {
    unsigned int state = 0;
    if (eventFlags & kShiftFlag) state |= ShiftMask;
    if (eventFlags & kControlFlag) state |= ControlMask;
    if (eventFlags & kCapsLockFlag) state |= LockMask;
    if (eventFlags & kOptionFlag) state |= lowestBit(altMask_);
    if (eventFlags & kCommandFlag) state |= lowestBit(superMask_);
    return state;
}

}  // namespace brevanor
