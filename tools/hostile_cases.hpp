// Malformed clipboard content as another program could put it there, one case at a time, with
// what Korvane must make of it.  The hostile clipboard program puts the cases on the clipboard;
// the test that plays them reads the same table for what to expect.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvane::hostile {

using Bytes = std::vector<uint8_t>;

// One clipboard format of a case.  The block is `head`, then `fill` repeated until it is `size`
// bytes long, so a block of hundreds of megabytes is described without being held here.
struct Block {
    uint32_t format = 0;
    Bytes head;
    uint64_t size = 0;
    Bytes fill;
    bool delayed = false;  // announced for delayed rendering and then never rendered
    std::string format_name;  // a registered format, by the name it is registered with (then `format` is 0)
};

enum class Outcome {
    Ignored,   // no clip at all
    Captured,  // a clip whose tooltip is `shown`
    Checked,   // the system converts the block first: either no clip, or an image that passes the DIB check
};

struct Case {
    std::string name;
    std::vector<Block> blocks;
    Outcome outcome = Outcome::Ignored;
    std::string shown;
    // What a click on the clip's tile puts back on the clipboard: the format and its exact
    // bytes.  Not given for file lists (their files do not exist, so the click is refused).
    std::optional<Block> pasted;
    // A picture Korvane keeps but never hands back, because GDI could not draw it: a click on its
    // tile leaves the clipboard as it was.
    bool paste_refused = false;
    // Wine's clipboard writes a zero over the last unit of a CF_UNICODETEXT block it hands to a
    // reader, so an unterminated text arrives one unit short there: what Korvane shows and
    // pastes back under Wine when that differs.
    std::optional<std::string> shown_on_wine;
    std::optional<Block> pasted_on_wine;
    // The registered formats a click writes beside the main one, byte for byte, and those it
    // leaves out because Korvane did not keep them.
    std::vector<Block> companions_pasted;
    std::vector<std::string> companions_dropped;
};

// A 2 x 2 PNG with transparency, and the 32-bit bottom-up DIB of the same pixels.
Bytes transparent_png();
Bytes transparent_png_dib();

const std::vector<Case>& cases();

// The whole block: head, then fill up to size.
Bytes materialise(const Block& block);

}  // namespace korvane::hostile
