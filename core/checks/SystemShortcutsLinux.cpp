#include "base/text/Localized.h"
#include "core/checks/SystemShortcuts.h"

namespace brevanor::SystemShortcuts {

namespace {

constexpr std::uint64_t kShift = HotkeyChord::shiftFlag;
constexpr std::uint64_t kControl = HotkeyChord::controlFlag;
constexpr std::uint64_t kOption = HotkeyChord::optionFlag;
constexpr std::uint64_t kCommand = HotkeyChord::commandFlag;

// What GNOME and KDE, and most applications on them, bind by default.
constexpr Row kRows[] = {
    {48, kOption, "Switch applications (Alt+Tab)"},
    {48, kOption | kShift, "Switch applications backwards (Alt+Shift+Tab)"},
    {48, kCommand, "Switch applications (Super+Tab)"},
    {50, kOption, "Switch windows of an application (Alt+`)"},
    {118, kOption, "Close window (Alt+F4)"},
    {120, kOption, "Run a command (Alt+F2)"},
    {122, kOption, "Application menu (Alt+F1)"},
    {17, kControl | kOption, "Terminal (Ctrl+Alt+T)"},
    {117, kControl | kOption, "Log out (Ctrl+Alt+Delete)"},
    {37, kCommand, "Lock screen (Super+L)"},
    {37, kControl | kOption, "Lock screen (Ctrl+Alt+L)"},
    {2, kCommand, "Show desktop (Super+D)"},
    {0, kCommand, "Show applications (Super+A)"},
    {49, kCommand, "Switch input source (Super+Space)"},
    {9, kCommand, "Notifications (Super+V)"},
    {126, kCommand, "Maximize window (Super+Up)"},
    {125, kCommand, "Restore window (Super+Down)"},
    {123, kCommand, "Tile window left (Super+Left)"},
    {124, kCommand, "Tile window right (Super+Right)"},
    {123, kControl | kOption, "Workspace left (Ctrl+Alt+Left)"},
    {124, kControl | kOption, "Workspace right (Ctrl+Alt+Right)"},
    {126, kControl | kOption, "Workspace up (Ctrl+Alt+Up)"},
    {125, kControl | kOption, "Workspace down (Ctrl+Alt+Down)"},
    {12, kControl, "Quit (Ctrl+Q)"},
    {13, kControl, "Close window (Ctrl+W)"},
    {45, kControl, "New (Ctrl+N)"},
    {31, kControl, "Open (Ctrl+O)"},
    {1, kControl, "Save (Ctrl+S)"},
    {35, kControl, "Print (Ctrl+P)"},
    {6, kControl, "Undo (Ctrl+Z)"},
    {6, kControl | kShift, "Redo (Ctrl+Shift+Z)"},
    {7, kControl, "Cut (Ctrl+X)"},
    {8, kControl, "Copy (Ctrl+C)"},
    {9, kControl, "Paste (Ctrl+V)"},
    {0, kControl, "Select All (Ctrl+A)"},
    {3, kControl, "Find (Ctrl+F)"},
    {17, kControl, "New tab (Ctrl+T)"},
    {15, kControl, "Reload (Ctrl+R)"},
    {37, kControl, "Location bar (Ctrl+L)"},
    {103, 0, "Full screen (F11)"},
};

}  // namespace

std::span<const Row> rows() { return kRows; }

std::string usedBy() { return tr("Used by the desktop: "); }

}  // namespace brevanor::SystemShortcuts
