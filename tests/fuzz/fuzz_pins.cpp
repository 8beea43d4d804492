// The pins loader on arbitrary bytes: it must reject or load, never read outside the input or
// allocate what the input only claims; whatever loads must save and load back the same.
#include <cstdlib>

#include "core/pins_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvane;
    DecodedPins decoded = decode_pins({data, size});
    if (auto* pins = std::get_if<std::vector<Clip>>(&decoded)) {
        if (pins->size() > 20) std::abort();
        const Bytes saved = encode_pins(*pins);
        DecodedPins again = decode_pins(saved);
        auto* reloaded = std::get_if<std::vector<Clip>>(&again);
        if (!reloaded || reloaded->size() != pins->size() || encode_pins(*reloaded) != saved) std::abort();
    }
    return 0;
}
