// The pins file as bytes: "KRVN", a u32 version (1 to 4 are read, 4 is written), a u32 pin
// count, then one record per pin.  All integers little-endian.
//
// What a record of version 4 cannot hold follows the last record, where earlier versions of the
// program never read: "KRVX", a u32 section count, then each section as a u32 tag, a u64 length
// and its bytes, and last a u32 CRC-32 of everything from "KRVX" on.  A reader that finds no
// such ending, or one whose check fails, loads the pins from their records alone, as an earlier
// version does; sections of tags it does not know are skipped.
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
// size.
struct PinsFileSource {
    uint64_t size;
    std::function<bool(uint8_t* out, size_t n)> read;
};

// The same file as consecutive pieces, for writing it without gathering it first: the small
// fields live in `buffers`, the large blocks are read where the pins hold them, so the pieces
// are valid while the pins and this record are unchanged.
struct PinsFilePieces {
    std::vector<std::span<const uint8_t>> pieces;
    std::vector<Bytes> buffers;
};

// One kind of section after the records: what it adds to the pins, written only when one of
// them has something to say.
struct PinsSection {
    uint32_t tag;
    // The section's bytes for these pins, or no pieces at all when none of them needs it.
    PinsFilePieces (*encode)(const std::vector<Clip>& pins);
    // Adds what the bytes say to the pins read (the first 20 records, in file order); false, with
    // the pins left as they were, when the bytes do not decode.
    bool (*apply)(std::span<const uint8_t> bytes, std::vector<Clip>& pins);
};

// The sections this version reads and writes.
std::span<const PinsSection> pins_sections();

DecodedPins decode_pins(const PinsFileSource& file, std::span<const PinsSection> sections = pins_sections());
DecodedPins decode_pins(std::span<const uint8_t> file, std::span<const PinsSection> sections = pins_sections());
Bytes encode_pins(const std::vector<Clip>& pins, std::span<const PinsSection> sections = pins_sections());
PinsFilePieces encode_pins_pieces(const std::vector<Clip>& pins,
                                  std::span<const PinsSection> sections = pins_sections());

}  // namespace korvane
