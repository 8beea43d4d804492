// File-drop lists (CF_HDROP blocks) from another program: checked and read without trusting any
// offset in them.  Every offset and size is computed in 64-bit arithmetic.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/clip.hpp"

namespace korvane {

// True when a CF_HDROP block's file list starts inside the block and ends there with its double
// zero terminator (a zero unit after the last name, or the list's own empty terminator).
bool check_drop_block(std::span<const uint8_t> block);

// How many names the file list of a block that passes check_drop_block holds, for either
// character width; nothing for a block that fails it.  The shell's own counting takes the first
// name for granted, and on an empty list some versions read on past the terminator.
std::optional<uint64_t> drop_file_count(std::span<const uint8_t> block);

// The paths of a block that passes check_drop_block, exactly as stored, in list order.  Nothing
// for a block that fails it or holds 8-bit names: those need the system code page, which only the
// shell layer has.
std::optional<std::vector<FilePath>> parse_drop_block(std::span<const uint8_t> block);

// The names of a block of 8-bit names that passes check_drop_block, each as its bytes without the
// terminator, in list order; nothing for a block that fails it or holds wide names.
std::optional<std::vector<std::string>> parse_narrow_drop_block(std::span<const uint8_t> block);

}  // namespace korvane
