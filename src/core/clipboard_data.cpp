#include "core/clipboard_data.hpp"

#include "core/byte_io.hpp"
#include "core/text.hpp"

namespace korvane {
namespace {

void append_unit(Bytes& out, char16_t unit) {
    out.push_back(static_cast<uint8_t>(unit));
    out.push_back(static_cast<uint8_t>(unit >> 8));
}

}  // namespace

Bytes encode_unicode_text(std::string_view utf8) { return encode_unicode_units(utf8_to_utf16(utf8)); }

Bytes encode_unicode_units(std::u16string_view units) {
    Bytes out;
    out.reserve((units.size() + 1) * 2);
    for (char16_t unit : units) append_unit(out, unit);
    append_unit(out, 0);
    return out;
}

std::string decode_unicode_text(std::span<const uint8_t> block) {
    std::u16string units;
    for (size_t i = 0; i + 1 < block.size(); i += 2) {
        const char16_t unit = char16_t(u16_at(block, i));
        if (unit == 0) break;
        units.push_back(unit);
    }
    return utf16_to_utf8(units);
}

bool unicode_text_is_blank(std::span<const uint8_t> block) {
    for (size_t i = 0; i + 1 < block.size(); i += 2) {
        const char16_t unit = char16_t(u16_at(block, i));
        if (unit == 0) break;
        // Every White_Space character is a single unit; a surrogate never is one.
        if (!is_white_space(unit)) return false;
    }
    return true;
}

Bytes encode_drop_block(const std::vector<FilePath>& files) {
    constexpr uint32_t FILE_LIST_OFFSET = 20;
    Bytes out;
    append_u32(out, FILE_LIST_OFFSET);
    append_u32(out, 0);  // drop point x
    append_u32(out, 0);  // drop point y
    append_u32(out, 0);  // not in the non-client area
    append_u32(out, 1);  // wide characters
    for (const FilePath& path : files) {
        for (char16_t unit : path) append_unit(out, unit);
        append_unit(out, 0);
    }
    append_unit(out, 0);
    return out;
}

}  // namespace korvane
