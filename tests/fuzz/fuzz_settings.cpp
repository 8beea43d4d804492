// The settings parser on arbitrary bytes: any content gives a settings record, and a written
// record reads back as itself.
#include <cstdlib>

#include "core/settings.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvane;
    const Settings settings = parse_settings({reinterpret_cast<const char*>(data), size});
    if (!(parse_settings(format_settings(settings)) == settings)) std::abort();
    return 0;
}
