#include "core/text.hpp"

#include <cstdint>

namespace korvane {
namespace {

constexpr char32_t REPLACEMENT = 0xFFFD;

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool is_continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Decodes one well-formed UTF-8 character at `at`; returns its length, or 0 when the bytes
// there do not start a well-formed sequence.
size_t decode_utf8(std::string_view s, size_t at, char32_t& out) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[at + i]); };
    const size_t left = s.size() - at;
    const unsigned char b0 = byte(0);
    if (b0 < 0x80) {
        out = b0;
        return 1;
    }
    size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, c = b0 & 0x1F, minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, c = b0 & 0x0F, minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, c = b0 & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (left < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        if (!is_continuation(byte(i))) return 0;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    out = c;
    return length;
}

}  // namespace

std::string utf16_to_utf8(std::u16string_view text) {
    // Sized once: each growth would leave a copy of the text behind in memory it has freed, and
    // that text may be a secret.
    size_t length = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u < 0x80) {
            length += 1;
        } else if (u < 0x800) {
            length += 2;
        } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            length += 4;
            ++i;
        } else {
            length += 3;  // the character, or U+FFFD for a lone surrogate
        }
    }
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            append_utf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            append_utf8(out, REPLACEMENT);
        } else {
            append_utf8(out, u);
        }
    }
    return out;
}

std::u16string utf8_to_utf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        char32_t c = 0;
        size_t length = decode_utf8(text, at, c);
        if (length == 0) {
            c = REPLACEMENT;
            length = 1;
        }
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
        at += length;
    }
    return out;
}

uint64_t utf16_length(std::string_view text) {
    uint64_t units = 0;
    size_t at = 0;
    while (at < text.size()) {
        char32_t c = 0;
        const size_t length = decode_utf8(text, at, c);
        units += length != 0 && c >= 0x10000 ? 2 : 1;
        at += length == 0 ? 1 : length;
    }
    return units;
}

bool is_valid_utf8(std::string_view bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        char32_t c = 0;
        const size_t length = decode_utf8(bytes, at, c);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

bool is_white_space(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

std::string_view trim(std::string_view text) {
    size_t begin = 0;
    while (begin < text.size()) {
        char32_t c = 0;
        const size_t length = decode_utf8(text, begin, c);
        if (length == 0 || !is_white_space(c)) break;
        begin += length;
    }
    size_t end = text.size();
    while (end > begin) {
        // Step back to the start of the last character.
        size_t start = end - 1;
        while (start > begin && is_continuation(static_cast<unsigned char>(text[start]))) --start;
        char32_t c = 0;
        if (decode_utf8(text.substr(0, end), start, c) != end - start || !is_white_space(c)) break;
        end = start;
    }
    return text.substr(begin, end - begin);
}

std::u16string_view file_name_of(std::u16string_view path) {
    const size_t cut = path.find_last_of(u"\\/");
    return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

}  // namespace korvane
