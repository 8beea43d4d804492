// The keyboard shortcut that opens the popup: modifier keys and one key, how it is written in
// the settings file and in messages ("Win+Alt+V"), and read back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// The modifier bits RegisterHotKey takes.
constexpr uint8_t SHORTCUT_ALT = 0x1;
constexpr uint8_t SHORTCUT_CTRL = 0x2;
constexpr uint8_t SHORTCUT_SHIFT = 0x4;
constexpr uint8_t SHORTCUT_WIN = 0x8;

struct Shortcut {
    uint8_t modifiers = 0;
    uint8_t key = 0;  // the virtual-key code; 0 when there is no shortcut
    bool operator==(const Shortcut&) const = default;
    bool off() const { return key == 0; }
};

// Win+V is the system's clipboard history, Ctrl+Shift+V pastes plain text in browsers and
// editors, Ctrl+Alt+letter is AltGr on many European layouts, and Windows uses Win+Shift+V and
// Win+Ctrl+V itself: Win+Alt+V is left.
constexpr Shortcut DEFAULT_SHORTCUT{SHORTCUT_WIN | SHORTCUT_ALT, 'V'};

// "Win+Ctrl+Alt+Shift+" as far as they are held, then the key: a letter or digit, F1 to F24,
// Space, the arrows and editing keys by name, Num0 to Num9, any other key as Key0x followed by
// its code in hexadecimal.  "off" for no shortcut.
std::string shortcut_text(Shortcut shortcut);

// The shortcut a text of shortcut_text names; nothing for anything else (letters in any case).
std::optional<Shortcut> parse_shortcut(std::string_view text);

}  // namespace korvane
