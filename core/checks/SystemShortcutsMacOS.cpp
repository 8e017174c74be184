#include "base/text/Localized.h"
#include "core/checks/SystemShortcuts.h"

namespace brevanor::SystemShortcuts {

namespace {

constexpr std::uint64_t kShift = HotkeyChord::shiftFlag;
constexpr std::uint64_t kControl = HotkeyChord::controlFlag;
constexpr std::uint64_t kOption = HotkeyChord::optionFlag;
constexpr std::uint64_t kCommand = HotkeyChord::commandFlag;

constexpr Row kRows[] = {
    {49, kCommand, "Spotlight (⌘Space)"},
    {49, kControl, "Switch input source (⌃Space)"},
    {49, kControl | kOption, "Switch input source (⌃⌥Space)"},
    {49, kControl | kCommand, "Emoji & Symbols (⌃⌘Space)"},
    {49, kOption | kCommand, "Finder search (⌥⌘Space)"},
    {48, kCommand, "Switch apps (⌘Tab)"},
    {50, kCommand, "Switch windows (⌘`)"},
    {12, kCommand, "Quit (⌘Q)"},
    {13, kCommand, "Close window (⌘W)"},
    {4, kCommand, "Hide app (⌘H)"},
    {46, kCommand, "Minimize (⌘M)"},
    {43, kCommand, "Settings (⌘,)"},
    {45, kCommand, "New (⌘N)"},
    {31, kCommand, "Open (⌘O)"},
    {1, kCommand, "Save (⌘S)"},
    {35, kCommand, "Print (⌘P)"},
    {6, kCommand, "Undo (⌘Z)"},
    {7, kCommand, "Cut (⌘X)"},
    {8, kCommand, "Copy (⌘C)"},
    {9, kCommand, "Paste (⌘V)"},
    {0, kCommand, "Select All (⌘A)"},
    {3, kCommand, "Find (⌘F)"},
    {17, kCommand, "New tab (⌘T)"},
    {15, kCommand, "Reload (⌘R)"},
    {37, kCommand, "Location bar (⌘L)"},
    {20, kShift | kCommand, "Screenshot (⇧⌘3)"},
    {21, kShift | kCommand, "Screenshot selection (⇧⌘4)"},
    {23, kShift | kCommand, "Screenshot tools (⇧⌘5)"},
    {12, kShift | kCommand, "Log out (⇧⌘Q)"},
    {45, kShift | kCommand, "New folder (⇧⌘N)"},
    {6, kShift | kCommand, "Redo (⇧⌘Z)"},
    {12, kControl | kCommand, "Lock screen (⌃⌘Q)"},
    {3, kControl | kCommand, "Full screen (⌃⌘F)"},
    {53, kOption | kCommand, "Force Quit (⌥⌘⎋)"},
    {2, kOption | kCommand, "Hide Dock (⌥⌘D)"},
    {4, kOption | kCommand, "Hide others (⌥⌘H)"},
    {46, kOption | kCommand, "Minimize all (⌥⌘M)"},
    {13, kOption | kCommand, "Close all (⌥⌘W)"},
    {126, kControl, "Mission Control (⌃↑)"},
    {125, kControl, "Application windows (⌃↓)"},
    {123, kControl, "Previous Space (⌃←)"},
    {124, kControl, "Next Space (⌃→)"},
    {99, 0, "Mission Control (F3)"},
    {118, 0, "Launchpad (F4)"},
    {103, 0, "Show Desktop (F11)"},
};

}  // namespace

std::span<const Row> rows() { return kRows; }

std::string usedBy() { return tr("Used by macOS: "); }

}  // namespace brevanor::SystemShortcuts
