#include "core/shortcut.hpp"

#include <array>
#include <charconv>
#include <utility>

namespace korvane {
namespace {

constexpr std::pair<uint8_t, std::string_view> MODIFIERS[] = {
    {SHORTCUT_WIN, "Win"}, {SHORTCUT_CTRL, "Ctrl"}, {SHORTCUT_ALT, "Alt"}, {SHORTCUT_SHIFT, "Shift"}};

constexpr std::pair<uint8_t, std::string_view> NAMED_KEYS[] = {
    {0x08, "Backspace"}, {0x09, "Tab"},    {0x0D, "Enter"}, {0x13, "Pause"}, {0x1B, "Esc"},
    {0x20, "Space"},     {0x21, "PageUp"}, {0x22, "PageDown"}, {0x23, "End"}, {0x24, "Home"},
    {0x25, "Left"},      {0x26, "Up"},     {0x27, "Right"}, {0x28, "Down"},  {0x2C, "PrintScreen"},
    {0x2D, "Insert"},    {0x2E, "Delete"},
};

char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }

bool same_words(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

std::string key_text(uint8_t key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, char(key));
    if (key >= 0x70 && key <= 0x87) return "F" + std::to_string(key - 0x70 + 1);
    if (key >= 0x60 && key <= 0x69) return "Num" + std::to_string(key - 0x60);
    for (const auto& [code, name] : NAMED_KEYS)
        if (code == key) return std::string(name);
    constexpr char HEX[] = "0123456789ABCDEF";
    return std::string("Key0x") + HEX[key >> 4] + HEX[key & 0xF];
}

std::optional<uint8_t> parse_key(std::string_view text) {
    if (text.size() == 1) {
        const char c = upper(text[0]);
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return uint8_t(c);
        return std::nullopt;
    }
    for (const auto& [code, name] : NAMED_KEYS)
        if (same_words(text, name)) return code;
    unsigned number = 0;
    const auto read = [&](std::string_view prefix, int base) {
        if (text.size() <= prefix.size() || !same_words(text.substr(0, prefix.size()), prefix)) return false;
        const char* begin = text.data() + prefix.size();
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(begin, end, number, base);
        return error == std::errc() && stop == end;
    };
    if (read("F", 10) && number >= 1 && number <= 24) return uint8_t(0x70 + number - 1);
    if (read("Num", 10) && number <= 9) return uint8_t(0x60 + number);
    if (read("Key0x", 16) && number >= 1 && number <= 0xFE) return uint8_t(number);
    return std::nullopt;
}

}  // namespace

std::string shortcut_text(Shortcut shortcut) {
    if (shortcut.off()) return "off";
    std::string text;
    for (const auto& [bit, name] : MODIFIERS)
        if (shortcut.modifiers & bit) text += std::string(name) + "+";
    return text + key_text(shortcut.key);
}

std::optional<Shortcut> parse_shortcut(std::string_view text) {
    if (same_words(text, "off")) return Shortcut{};
    Shortcut shortcut;
    while (true) {
        const size_t plus = text.find('+');
        if (plus == std::string_view::npos || plus + 1 == text.size()) break;  // a last "+" leaves no key
        const std::string_view word = text.substr(0, plus);
        bool known = false;
        for (const auto& [bit, name] : MODIFIERS)
            if (same_words(word, name)) {
                if (shortcut.modifiers & bit) return std::nullopt;  // named twice
                shortcut.modifiers |= bit;
                known = true;
            }
        if (!known) return std::nullopt;
        text.remove_prefix(plus + 1);
    }
    const std::optional<uint8_t> key = parse_key(text);
    if (!key) return std::nullopt;
    shortcut.key = *key;
    return shortcut;
}

}  // namespace korvane
