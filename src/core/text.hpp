// UTF-8 / UTF-16 conversion and Unicode white-space trimming.  Text is UTF-8 inside the
// program and UTF-16 at every platform call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

// Converts UTF-16 code units to UTF-8; every unpaired surrogate becomes U+FFFD.
std::string utf16_to_utf8(std::u16string_view text);

// Converts UTF-8 to UTF-16; each invalid byte sequence becomes U+FFFD.
std::u16string utf8_to_utf16(std::string_view text);

// How many UTF-16 code units utf8_to_utf16 makes of the text, without making them.
uint64_t utf16_length(std::string_view text);

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, nothing above U+10FFFF).
bool is_valid_utf8(std::string_view bytes);

// True for the characters with the Unicode White_Space property.
bool is_white_space(char32_t c);

// Removes leading and trailing White_Space characters; inner ones stay.
std::string_view trim(std::string_view text);

// The last component of a path (after the last "\" or "/"), empty when there is none.
std::u16string_view file_name_of(std::u16string_view path);

}  // namespace korvane
