// The bytes of the clipboard formats the program reads and writes: UTF-16 text and file-drop
// blocks.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/clip.hpp"

namespace korvane {

// CF_UNICODETEXT: the text as UTF-16 code units and one terminating zero unit.
Bytes encode_unicode_text(std::string_view utf8);
// The same of units already converted, for a caller that wipes them after.
Bytes encode_unicode_units(std::u16string_view units);

// A CF_UNICODETEXT block read from another program: its whole 16-bit units (an odd last byte
// is ignored) up to the first zero unit, or all of them when none is zero, as UTF-8.
std::string decode_unicode_text(std::span<const uint8_t> block);

// Whether the text decode_unicode_text reads from the block is empty or only White_Space.  It
// looks no further than the first unit that is neither, so a text can be judged before it is
// decoded.
bool unicode_text_is_blank(std::span<const uint8_t> block);

// CF_HDROP: a 20-byte header (file list at offset 20, wide characters) and each path with a
// zero unit, then one more zero unit.
Bytes encode_drop_block(const std::vector<FilePath>& files);

}  // namespace korvane
