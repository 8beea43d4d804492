// A picture another program offers only as PNG bytes (Wine's bridge to the X clipboard does so)
// made into the packed DIB that tiles draw and pastes write.
#pragma once

#include <optional>

#include "core/clip.hpp"

namespace korvane {

// A 32-bit bottom-up DIB of the PNG's pixels, their alpha kept; nothing when the bytes are not
// a PNG, declare a size past what is decoded, or GDI+ does not read them within its time.  The
// size is checked from the header before GDI+ sees the bytes, and again as GDI+ reads it.
// Blocks the calling thread for at most that time; a decode still running then is left to end
// on its own, and no other starts before it has.  The bytes are lent to the decode, not copied:
// they come back when it ends in time and are lost with it otherwise.
std::optional<Bytes> dib_of_png(Bytes& png);

}  // namespace korvane
