// Which template values of the pins are secrets.  A pin's record stores a secret as a free-text
// value with nothing remembered, which an earlier version asks for as before; this section after
// the records makes it a secret again.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/pins_file.hpp"

namespace korvane {

// A u32 version (1), a u32 entry count, and per entry the pin's index (u32) and the variable's
// name (u32 length, UTF-8).  An entry of a pin past the ones loaded, or of a name that is not a
// free-text value of that pin, is left out; an entry that runs past the section loses them all.
constexpr uint32_t SECRETS_SECTION_TAG = 'S' | 'C' << 8 | 'R' << 16 | uint32_t('T') << 24;
PinsFilePieces encode_secrets_section(const std::vector<Clip>& pins);
bool apply_secrets_section(std::span<const uint8_t> bytes, std::vector<Clip>& pins);

}  // namespace korvane
