// The blocks another program puts on the clipboard, on arbitrary bytes: a file-drop list that
// passes check_drop_block parses (when wide) into non-empty paths that are exactly the stored
// list, or (when 8-bit) into as many non-empty names as it counts; CF_UNICODETEXT always decodes
// to well-formed UTF-8 that encodes back to itself, and is judged blank before decoding exactly
// when its decoded text trims to nothing.
#include <algorithm>
#include <cstdlib>

#include "core/clipboard_data.hpp"
#include "core/drop_list.hpp"
#include "core/text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvane;
    const std::span<const uint8_t> block(data, size);
    const bool accepted = check_drop_block(block);
    const auto paths = parse_drop_block(block);
    const bool wide = size >= 20 && (data[16] | data[17] | data[18] | data[19]) != 0;
    if (paths.has_value() != (accepted && wide)) std::abort();
    if (paths) {
        for (const FilePath& path : *paths)
            if (path.empty() || path.find(u'\0') != FilePath::npos) std::abort();
        // The list as stored, terminator included, is what encoding the paths writes after its
        // 20-byte header.
        const Bytes encoded = encode_drop_block(*paths);
        const uint64_t start = uint64_t(data[0]) | uint64_t(data[1]) << 8 | uint64_t(data[2]) << 16 | uint64_t(data[3]) << 24;
        const uint64_t list = encoded.size() - 20;
        if (start + list > size || !std::equal(encoded.begin() + 20, encoded.end(), data + start)) std::abort();
        if (parse_drop_block(encoded) != paths) std::abort();
    }
    const auto names = parse_narrow_drop_block(block);
    if (names.has_value() != (accepted && !wide)) std::abort();
    if (names) {
        for (const std::string& name : *names)
            if (name.empty() || name.find('\0') != std::string::npos) std::abort();
        if (drop_file_count(block) != names->size()) std::abort();
    }
    const std::string text = decode_unicode_text(block);
    if (!is_valid_utf8(text) || decode_unicode_text(encode_unicode_text(text)) != text) std::abort();
    if (unicode_text_is_blank(block) != trim(text).empty()) std::abort();
    return 0;
}
