// The pins file as bytes: "KRVN", a u32 version (1 to 4 are read, 4 is written), a u32 pin
// count, then one record per pin.  All integers little-endian.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "core/clip.hpp"

namespace korvane {

constexpr uint32_t PINS_FILE_VERSION = 4;
constexpr size_t MAX_STORED_VARIABLES = 255;
inline constexpr const char* PINS_CORRUPT = "pins.dat is corrupt";

// The pins of a file in display order, at most 20, with unique animal indices and fresh ids;
// or the error text "pins.dat is corrupt".
using DecodedPins = std::variant<std::vector<Clip>, std::string>;

// Where the decoder reads a file from: its size, and a function that copies its next n bytes to
// `out` and reports whether it could.  The decoder reads each byte once, in order, never past the
// size, and stops after the last record.
struct PinsFileSource {
    uint64_t size;
    std::function<bool(uint8_t* out, size_t n)> read;
};

DecodedPins decode_pins(const PinsFileSource& file);
DecodedPins decode_pins(std::span<const uint8_t> file);
Bytes encode_pins(const std::vector<Clip>& pins);

// The same file as consecutive pieces, for writing it without gathering it first: the small
// fields live in `buffers`, the large blocks are read where the pins hold them, so the pieces
// are valid while the pins and this record are unchanged.
struct PinsFilePieces {
    std::vector<std::span<const uint8_t>> pieces;
    std::vector<Bytes> buffers;
};
PinsFilePieces encode_pins_pieces(const std::vector<Clip>& pins);

}  // namespace korvane
