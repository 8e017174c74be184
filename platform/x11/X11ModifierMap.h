#pragma once

#include <cstdint>

#include "base/values/ModifierKeys.h"

struct _XDisplay;

namespace brevanor {

// Translates X modifier state (the key and button mask of core and XInput
// events) to the neutral event-flag layout and back: Shift 0x20000, Control
// 0x40000, Alt (and AltGr) as Option 0x80000, Super as Command 0x100000, Caps
// Lock 0x10000. Which of Mod1..Mod5 hold Alt and Super is the server's
// modifier mapping; the default is the usual one (Mod1 Alt, Mod4 Super, Mod5
// AltGr). X servers do not report fn, so its flag never appears here.
class X11ModifierMap {
public:
    static constexpr std::uint64_t kShiftFlag = ModifierKeys::shiftMask;
    static constexpr std::uint64_t kControlFlag = ModifierKeys::controlMask;
    static constexpr std::uint64_t kOptionFlag = ModifierKeys::alternateMask;
    static constexpr std::uint64_t kCommandFlag = ModifierKeys::commandMask;
    static constexpr std::uint64_t kCapsLockFlag = ModifierKeys::alphaShiftMask;

    X11ModifierMap();
    // The mapping the server holds now (XGetModifierMapping); the default when it cannot be read.
    static X11ModifierMap fromServer(_XDisplay* display);

    std::uint64_t eventFlags(unsigned int xState) const;
    // The X modifier mask for neutral flags (for key grabs): Option becomes the
    // Alt modifier, Command the Super modifier; bits X has no modifier for are dropped.
    unsigned int xState(std::uint64_t eventFlags) const;

    unsigned int altMask() const { return altMask_; }
    unsigned int superMask() const { return superMask_; }
    unsigned int numLockMask() const { return numLockMask_; }

private:
    unsigned int altMask_;      // the modifier holding Alt_L/Alt_R/Meta
    unsigned int altGrMask_;    // the modifier holding ISO_Level3_Shift/Mode_switch (read as Option too)
    unsigned int superMask_;    // the modifier holding Super_L/Super_R
    unsigned int numLockMask_;  // the modifier holding Num_Lock (never a flag; grabs need it)
};

}  // namespace brevanor
