#include "hostile_cases.hpp"

#include <algorithm>
#include <climits>
#include <string_view>

namespace korvane::hostile {
namespace {

constexpr uint32_t CF_TEXT_UNICODE = 13;
constexpr uint32_t CF_PICTURE = 8;
constexpr uint32_t CF_PICTURE_V5 = 17;
constexpr uint32_t CF_FILES = 15;
constexpr uint64_t LIMIT = 0x10000000;  // the largest block Korvane copies: 256 MiB

void put_u16(Bytes& b, size_t at, uint16_t v) {
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8);
}

void put_u32(Bytes& b, size_t at, uint32_t v) {
    if (b.size() < at + 4) b.resize(at + 4);
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes filled(size_t n, uint8_t value) { return Bytes(n, value); }

struct Header {
    uint32_t size = 40;
    int32_t width = 2;
    int32_t height = 2;
    uint16_t bits = 32;
    uint32_t compression = 0;
    uint32_t image_size = 0;
    uint32_t colours_used = 0;
};

// A BITMAPINFOHEADER as laid out in memory; a header of 108 or 124 bytes gets its extra fields
// zeroed, to be set by the caller.
Bytes header(const Header& h, size_t length = 40) {
    Bytes b(length, 0);
    put_u32(b, 0, h.size);
    put_u32(b, 4, uint32_t(h.width));
    put_u32(b, 8, uint32_t(h.height));
    put_u16(b, 12, 1);
    put_u16(b, 14, h.bits);
    put_u32(b, 16, h.compression);
    put_u32(b, 20, h.image_size);
    put_u32(b, 32, h.colours_used);
    return b;
}

Bytes utf16(std::u16string_view text, bool terminated = true) {
    Bytes b;
    for (char16_t unit : text) b.push_back(uint8_t(unit)), b.push_back(uint8_t(unit >> 8));
    if (terminated) b.push_back(0), b.push_back(0);
    return b;
}

// A CF_HDROP header with the file list at `offset` and the given character width.
Bytes drop_header(uint32_t offset, bool wide = true) {
    Bytes b(20, 0);
    put_u32(b, 0, offset);
    put_u32(b, 16, wide ? 1 : 0);
    return b;
}

Block block(uint32_t format, Bytes bytes) {
    const uint64_t size = bytes.size();
    return Block{format, std::move(bytes), size, {}, false};
}

Case ignored(std::string name, std::vector<Block> blocks) {
    return Case{std::move(name), std::move(blocks), Outcome::Ignored, {}, std::nullopt};
}

// A picture Korvane takes: its tooltip names the header's size, a click gives the same bytes back.
Case picture(std::string name, Bytes dib, std::string shown) {
    Block b = block(CF_PICTURE, std::move(dib));
    return Case{std::move(name), {b}, Outcome::Captured, std::move(shown), b};
}

// A picture Korvane takes but whose pixels a drawing call could not read: a click hands nothing back.
Case unpastable(std::string name, Bytes dib, std::string shown) {
    Case c{std::move(name), {block(CF_PICTURE, std::move(dib))}, Outcome::Captured, std::move(shown), std::nullopt};
    c.paste_refused = true;
    return c;
}

// A 1-bit picture one row high with its whole row of pixels: the block grows with the width only.
Bytes one_row_picture(int32_t width) {
    const Bytes palette = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
    const uint64_t row = (uint64_t(width) + 31) / 32 * 4;
    Bytes dib = header({.width = width, .height = 1, .bits = 1, .colours_used = 2}) + palette;
    dib.resize(dib.size() + size_t(row), 0x55);
    return dib;
}

Case text(std::string name, std::vector<Block> blocks, std::string shown, std::u16string pasted) {
    return Case{std::move(name), std::move(blocks), Outcome::Captured, std::move(shown),
                block(CF_TEXT_UNICODE, utf16(pasted))};
}

// An unterminated text, which Wine hands over without its last unit.
Case unterminated_text(std::string name, std::u16string whole, std::string shown, std::string shown_on_wine) {
    Case c = text(std::move(name), {block(CF_TEXT_UNICODE, utf16(whole, false))}, std::move(shown), whole);
    c.shown_on_wine = std::move(shown_on_wine);
    c.pasted_on_wine = block(CF_TEXT_UNICODE, utf16(whole.substr(0, whole.size() - 1)));
    return c;
}

Case files(std::string name, Bytes drop, std::string shown) {
    return Case{std::move(name), {block(CF_FILES, std::move(drop))}, Outcome::Captured, std::move(shown), std::nullopt};
}

const std::string TIMES = "\u00D7";

// A drop list of `count` names made by `name` (ASCII, so either width holds them), captured with
// the tooltip of its first eight.
template <class Name>
Case many_files(std::string case_name, int count, Name name, bool wide = true) {
    Bytes list = drop_header(20, wide);
    std::string shown;
    for (int i = 0; i < count; ++i) {
        const std::string path = name(i);
        for (char c : path) {
            list.push_back(uint8_t(c));
            if (wide) list.push_back(0);
        }
        list.insert(list.end(), wide ? 2 : 1, 0);
        if (i < 8) shown += (i ? "\n" : "") + path;
    }
    list.insert(list.end(), wide ? 2 : 1, 0);
    return files(std::move(case_name), std::move(list), shown + "\nand " + std::to_string(count - 8) + " more");
}

void add_pictures(std::vector<Case>& all) {
    const Bytes pixels = filled(16, 0x7F);  // the four pixels of a 2 x 2, 32-bit picture
    all.push_back(ignored("DIB shorter than a header", {block(CF_PICTURE, filled(39, 1))}));
    all.push_back(ignored("DIB of one byte", {block(CF_PICTURE, {40})}));
    all.push_back(ignored("DIB header alone", {block(CF_PICTURE, header({}))}));
    all.push_back(ignored("DIB header size 0xFFFFFFFF", {block(CF_PICTURE, header({.size = 0xFFFFFFFF}) + pixels)}));
    all.push_back(ignored("DIB header size past the block", {block(CF_PICTURE, header({.size = 1000}) + pixels)}));
    all.push_back(ignored("DIB width 0", {block(CF_PICTURE, header({.width = 0}) + pixels)}));
    all.push_back(ignored("DIB width -2", {block(CF_PICTURE, header({.width = -2}) + pixels)}));
    all.push_back(ignored("DIB width INT_MIN", {block(CF_PICTURE, header({.width = INT_MIN}) + pixels)}));
    all.push_back(ignored("DIB height 0", {block(CF_PICTURE, header({.height = 0}) + pixels)}));
    all.push_back(ignored("DIB colours used 0x40000000, whose table size wraps to 0 in 32 bits",
                          {block(CF_PICTURE, header({.colours_used = 0x40000000}) + pixels)}));
    all.push_back(ignored("DIB colours used 0xFFFFFFFF",
                          {block(CF_PICTURE, header({.colours_used = 0xFFFFFFFF}) + pixels)}));
    all.push_back(ignored("DIB 8 bits with a colour table cut short",
                          {block(CF_PICTURE, header({.bits = 8}) + filled(100, 3))}));
    all.push_back(ignored("DIB 1 bit whose two-colour table ends the block",
                          {block(CF_PICTURE, header({.width = 8, .height = 1, .bits = 1, .colours_used = 2}) + filled(8, 9))}));
    all.push_back(ignored("DIB bit fields without room for the masks",
                          {block(CF_PICTURE, header({.compression = 3}) + filled(12, 0xFF))}));
    all.push_back(ignored("DIB alpha bit fields without room for the masks",
                          {block(CF_PICTURE, header({.compression = 6}) + filled(16, 0xFF))}));

    all.push_back(unpastable("DIB height INT_MIN, top-down", header({.height = INT_MIN}) + pixels,
                          "Image, 2 " + TIMES + " 2147483648"));
    all.push_back(unpastable("DIB 2147483647 x 2147483647 with four pixels",
                          header({.width = INT_MAX, .height = INT_MAX}) + pixels,
                          "Image, 2147483647 " + TIMES + " 2147483647"));
    all.push_back(unpastable("DIB 100 x 100 with one pixel", header({.width = 100, .height = 100}) + filled(4, 0x20),
                          "Image, 100 " + TIMES + " 100"));
    all.push_back(unpastable("DIB header size 0", header({.size = 0}) + pixels, "Image, 2 " + TIMES + " 2"));
    all.push_back(unpastable("DIB bit count 0xFFFF", header({.bits = 0xFFFF}) + pixels, "Image, 2 " + TIMES + " 2"));

    // Every compression value, each on a block that holds its masks and colour table: the
    // capture check passes them all; only the drawing decides what it can draw.
    struct Compression {
        uint32_t value;
        uint16_t bits;
        uint32_t colours;
        size_t masks;
    };
    constexpr Compression COMPRESSIONS[] = {{0, 32, 0, 0},  {1, 8, 1, 0},  {2, 4, 1, 0},  {3, 32, 0, 12}, {4, 24, 0, 0},
                                            {5, 24, 0, 0},  {6, 32, 0, 16}, {7, 32, 0, 0}, {8, 32, 0, 0},  {11, 32, 0, 0},
                                            {12, 8, 1, 0}, {13, 4, 1, 0}, {0x7FFFFFFF, 32, 0, 0}, {0xFFFFFFFF, 32, 0, 0}};
    for (const Compression& c : COMPRESSIONS) {
        Bytes dib = header({.bits = c.bits, .compression = c.value, .image_size = 16, .colours_used = c.colours}) +
                    filled(c.masks, 0xFF) + filled(4 * c.colours, 0x40) + pixels;
        // Only the uncompressed forms hold drawable pixels here: the run-length ones have no end mark.
        const bool drawable = c.value == 0 || c.value == 3 || c.value == 6;
        std::string name = "DIB compression " + std::to_string(c.value);
        all.push_back(drawable ? picture(std::move(name), std::move(dib), "Image, 2 " + TIMES + " 2")
                               : unpastable(std::move(name), std::move(dib), "Image, 2 " + TIMES + " 2"));
    }

    // Run-length streams that would have a decoder read or write outside what is declared.
    const Bytes palette = {0, 0, 0xFF, 0};
    // Runs past the rows and moves outside the picture are clipped by the decoder; a stream that
    // does not end inside its bytes is not drawable.
    const auto rle8 = [&](std::string name, const Bytes& stream, uint32_t image_size, bool drawable, int32_t height = 4) {
        Bytes dib = header({.width = 4, .height = height, .bits = 8, .compression = 1, .image_size = image_size,
                            .colours_used = 1}) +
                    palette + stream;
        std::string shown = "Image, 4 " + TIMES + " " + std::to_string(height < 0 ? -height : height);
        all.push_back(drawable ? picture(std::move(name), std::move(dib), std::move(shown))
                               : unpastable(std::move(name), std::move(dib), std::move(shown)));
    };
    const Bytes no_end = {4, 0, 4, 0, 4, 0, 4, 0};
    rle8("RLE8 without its end mark", no_end, 8, false);
    rle8("RLE8 image size past the block", {4, 0, 0, 1}, 0xFFFFFFF0, false);
    rle8("RLE8 literal run longer than the stream", {0, 0xFF, 1, 2, 3, 4}, 6, false);
    rle8("RLE8 runs longer than the rows", {0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0, 1}, 12, true);
    rle8("RLE8 moves far outside the picture", {0, 2, 0xFF, 0xFF, 0, 2, 0xFF, 0xFF, 4, 0, 0, 1}, 12, true);
    rle8("RLE8 top-down", {4, 0, 0, 1}, 4, false, -4);
    all.push_back(unpastable("RLE4 literal run past the stream",
                          header({.width = 4, .height = 4, .bits = 4, .compression = 2, .image_size = 4, .colours_used = 1}) +
                              palette + Bytes{0, 0x40, 0x12, 0x34},
                          "Image, 4 " + TIMES + " 4"));

    // Newer headers inside CF_DIB: colour profiles placed outside the block.
    for (uint32_t type : {0x4D424544u /* MBED */, 0x4C494E4Bu /* LINK */}) {
        Bytes v5 = header({.size = 124}, 124);
        put_u32(v5, 56, type);
        put_u32(v5, 112, 0xFFFFFF00);
        put_u32(v5, 116, 0x1000);
        const std::string profile = type == 0x4D424544u ? "an embedded" : "a linked";
        all.push_back(unpastable("DIB V5 header with " + profile + " profile outside the block",
                              v5 + pixels, "Image, 2 " + TIMES + " 2"));
    }
    Bytes v4 = header({.size = 108, .width = 0x40000000, .height = -0x40000000, .compression = 3}, 108);
    put_u32(v4, 40, 0xFF0000), put_u32(v4, 44, 0xFF00), put_u32(v4, 48, 0xFF);
    all.push_back(unpastable("DIB V4 header 2^30 x 2^30 with four pixels", v4 + pixels,
                          "Image, 1073741824 " + TIMES + " 1073741824"));

    // Sides and sizes GDI cannot draw, with every pixel byte present: kept, shown by their size,
    // never drawn or handed back.  The widest picture GDI can draw is handed back.
    all.push_back(unpastable("1-bit DIB 2147483000 x 1 with its whole row", one_row_picture(2147483000),
                             "Image, 2147483000 " + TIMES + " 1"));
    all.push_back(unpastable("1-bit DIB 67108864 x 1, one pixel wider than GDI draws", one_row_picture(67108864),
                             "Image, 67108864 " + TIMES + " 1"));
    all.push_back(picture("1-bit DIB 67108863 x 1, the widest GDI draws", one_row_picture(67108863),
                          "Image, 67108863 " + TIMES + " 1"));
    all.push_back(unpastable("RLE8 100000 x 100000 whose stream is its end mark",
                             header({.width = 100000, .height = 100000, .bits = 8, .compression = 1, .image_size = 2,
                                     .colours_used = 1}) +
                                 palette + Bytes{0, 1},
                             "Image, 100000 " + TIMES + " 100000"));

    // CF_DIBV5 alone: the system makes the CF_DIB that Korvane reads from it.
    const auto v5_only = [&](std::string name, const Header& h, const Bytes& after) {
        Bytes v5 = header(h, 124);
        put_u32(v5, 56, 0x73524742);  // sRGB
        all.push_back(Case{std::move(name), {block(CF_PICTURE_V5, v5 + after)}, Outcome::Checked, {}, std::nullopt});
    };
    v5_only("DIBV5 alone, 2 x 2", {.size = 124}, pixels);
    v5_only("DIBV5 alone, 2147483647 x -2147483647 with four pixels", {.size = 124, .width = INT_MAX, .height = -INT_MAX}, pixels);
    v5_only("DIBV5 alone, header size 0xFFFFFFFF", {.size = 0xFFFFFFFF}, pixels);
    v5_only("DIBV5 alone, colours used 0xFFFFFFFF", {.size = 124, .bits = 8, .colours_used = 0xFFFFFFFF}, pixels);
    v5_only("DIBV5 alone, width 0", {.size = 124, .width = 0}, pixels);
    v5_only("DIBV5 alone, bit fields without masks room", {.size = 124, .compression = 3}, {});
    {
        Bytes v5 = header({.size = 124}, 124);
        put_u32(v5, 56, 0x4D424544);
        put_u32(v5, 112, 0x7FFFFFF0);
        put_u32(v5, 116, 0x7FFFFFF0);
        all.push_back(Case{"DIBV5 alone, embedded profile outside the block", {block(CF_PICTURE_V5, v5 + pixels)},
                           Outcome::Checked, {}, std::nullopt});
    }
}

void add_file_lists(std::vector<Case>& all) {
    const Bytes name = utf16(u"C:\\x");
    all.push_back(ignored("drop block shorter than its header", {block(CF_FILES, filled(10, 0))}));
    all.push_back(ignored("drop list at 1000, outside the block", {block(CF_FILES, drop_header(1000) + name + utf16(u""))}));
    all.push_back(ignored("drop list at 0xFFFFFFFF", {block(CF_FILES, drop_header(0xFFFFFFFF) + name + utf16(u""))}));
    all.push_back(ignored("drop list at 0, inside the header", {block(CF_FILES, drop_header(0) + name + utf16(u""))}));
    all.push_back(ignored("drop list at the block's end", {block(CF_FILES, drop_header(28) + utf16(u"C:\\x", false))}));
    all.push_back(ignored("drop list without any terminator", {block(CF_FILES, drop_header(20) + utf16(u"C:\\x", false))}));
    all.push_back(ignored("drop list without its list terminator", {block(CF_FILES, drop_header(20) + name)}));
    all.push_back(ignored("drop list of odd size, the last unit cut", {block(CF_FILES, drop_header(20) + name + Bytes{0})}));
    all.push_back(ignored("8-bit drop list without its terminators",
                          {block(CF_FILES, drop_header(20, false) + Bytes{'C', ':', '\\', 'a'})}));
    all.push_back(ignored("drop list of zero files", {block(CF_FILES, drop_header(20) + utf16(u""))}));
    all.push_back(text("drop list of zero files beside a text",
                       {block(CF_FILES, drop_header(20) + utf16(u"")), block(CF_TEXT_UNICODE, utf16(u"beside no files"))},
                       "beside no files", u"beside no files"));
    all.push_back(text("drop list outside its block beside a text",
                       {block(CF_FILES, drop_header(5000) + name + utf16(u"")), block(CF_TEXT_UNICODE, utf16(u"beside a bad list"))},
                       "beside a bad list", u"beside a bad list"));
    all.push_back(files("8-bit drop list", drop_header(20, false) + Bytes{'C', ':', '\\', 'a', 'n', 's', 'i', 0, 0},
                        "C:\\ansi"));
    all.push_back(many_files("drop list of 10000 files", 10000, [](int i) { return "C:\\f" + std::to_string(i); }));
    // What copying a big folder in a file manager gives: the shell finds each name by walking the
    // list from its start, so asking it for every name in turn took minutes.
    const auto picture_path = [](int i) {
        const std::string number = std::to_string(1000000 + i).substr(1);
        return "C:\\Users\\Someone\\Pictures\\Holiday 2023\\IMG_" + number + ".jpg";
    };
    all.push_back(many_files("drop list of 40000 files", 40000, picture_path));
    all.push_back(many_files("drop list of 100000 files", 100000, picture_path));
    all.push_back(many_files("8-bit drop list of 40000 files", 40000, picture_path, false));
}

void add_texts(std::vector<Case>& all) {
    all.push_back(text("text of odd size", {block(CF_TEXT_UNICODE, utf16(u"odd size") + Bytes{'X'})}, "odd size", u"odd size"));
    all.push_back(unterminated_text("text without a terminator", u"unterminated", "unterminated", "unterminate"));
    all.push_back(text("text of 3 bytes without a terminator", {block(CF_TEXT_UNICODE, Bytes{'Q', 0, 'Z'})}, "Q", u"Q"));
    all.push_back(ignored("text of one byte", {block(CF_TEXT_UNICODE, Bytes{'A'})}));
    all.push_back(ignored("text that starts with a zero unit", {block(CF_TEXT_UNICODE, utf16(std::u16string(u"\0hidden", 7)))}));
    all.push_back(ignored("text of white space only", {block(CF_TEXT_UNICODE, utf16(u" \t\r\n\u3000"))}));
    all.push_back(text("text with a zero inside", {block(CF_TEXT_UNICODE, utf16(std::u16string(u"before\0after", 12)))},
                       "before", u"before"));
    all.push_back(text("text with unpaired surrogates",
                       {block(CF_TEXT_UNICODE, utf16(std::u16string{char16_t(0xD800), u'a', char16_t(0xDC00)}))},
                       "\xEF\xBF\xBD" "a" "\xEF\xBF\xBD", u"\uFFFDa\uFFFD"));
    {
        std::u16string long_text;
        for (int i = 0; i < 100000; ++i) long_text += u"0123456789"[i % 10];
        std::string shown;
        for (int i = 0; i < 300; ++i) shown += "0123456789"[i % 10];
        all.push_back(unterminated_text("text of 200,000 bytes without a terminator", long_text, shown + "\u2026",
                                        shown + "\u2026"));
    }
    all.push_back(ignored("text announced but never rendered", {Block{CF_TEXT_UNICODE, {}, 0, {}, true}}));
}

uint32_t png_crc(const Bytes& bytes, size_t from) {
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

void put_u32_be(Bytes& b, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(v >> shift));
}

void png_chunk(Bytes& png, const char* type, const Bytes& data) {
    put_u32_be(png, uint32_t(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    put_u32_be(png, png_crc(png, start));
}

// RGBA rows, 8 bits a channel, in one stored (uncompressed) deflate block.
Bytes png_of(uint32_t width, uint32_t height, const Bytes& rgba) {
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    put_u32_be(ihdr, width);
    put_u32_be(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    png_chunk(png, "IHDR", ihdr);
    Bytes raw;
    const size_t row = size_t(width) * 4;
    for (size_t y = 0; y * row < rgba.size(); ++y) {
        raw.push_back(0);  // no filter
        raw.insert(raw.end(), rgba.begin() + ptrdiff_t(y * row), rgba.begin() + ptrdiff_t((y + 1) * row));
    }
    Bytes zlib = {0x78, 0x01, 0x01, uint8_t(raw.size()), uint8_t(raw.size() >> 8), uint8_t(~raw.size()),
                  uint8_t(~raw.size() >> 8)};
    zlib.insert(zlib.end(), raw.begin(), raw.end());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
    put_u32_be(zlib, b << 16 | a);
    png_chunk(png, "IDAT", zlib);
    png_chunk(png, "IEND", {});
    return png;
}

// Red, half-transparent green; then fully transparent, and a blue-grey at 200 of 255.
const Bytes TRANSPARENT_RGBA = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 0, 0, 10, 20, 30, 200};

Block registered(std::string name, Bytes bytes) {
    Block b = block(0, std::move(bytes));
    b.format_name = std::move(name);
    return b;
}

Block registered_of_size(std::string name, uint64_t size) {
    Block b{0, {'<'}, size, {'x'}, false};
    b.format_name = std::move(name);
    return b;
}

Bytes ascii(std::string_view s) { return Bytes(s.begin(), s.end()); }

void add_companions(std::vector<Case>& all) {
    const Block html = registered("HTML Format", ascii("Version:0.9\r\nStartHTML:-1\r\n<b>bold</b>"));
    const Block rtf = registered("Rich Text Format", ascii("{\\rtf1 {\\b bold}}"));
    Case formatted = text("text with its HTML and RTF", {block(CF_TEXT_UNICODE, utf16(u"bold")), html, rtf}, "bold", u"bold");
    formatted.companions_pasted = {html, rtf};
    all.push_back(formatted);

    const struct {
        const char* name;
        uint64_t html_size;
        uint64_t rtf_size;
        bool html_kept;
        bool rtf_kept;
    } sizes[] = {
        {"text beside an HTML Format of 256 MiB + 1 byte", LIMIT + 1, 10, false, true},
        {"text beside an HTML Format of 200 MiB", uint64_t{200} << 20, 10, false, true},
        {"text beside 40 MiB of HTML and 40 MiB of RTF", uint64_t{40} << 20, uint64_t{40} << 20, true, false},
    };
    char16_t digit = u'1';
    for (const auto& s : sizes) {
        const Block big_html = registered_of_size("HTML Format", s.html_size);
        const Block big_rtf = registered_of_size("Rich Text Format", s.rtf_size);
        const std::u16string words = u"formatted text " + std::u16string(1, digit++);
        Case c = text(s.name, {block(CF_TEXT_UNICODE, utf16(words)), big_html, big_rtf},
                      std::string(words.begin(), words.end()), words);
        if (s.html_kept) c.companions_pasted.push_back(big_html);
        else c.companions_dropped.push_back("HTML Format");
        if (s.rtf_kept) c.companions_pasted.push_back(big_rtf);
        else c.companions_dropped.push_back("Rich Text Format");
        all.push_back(c);
    }

    const Block png = registered("PNG", transparent_png());
    Case png_only = picture("picture offered only as PNG", transparent_png_dib(), "Image, 2 " + TIMES + " 2");
    png_only.blocks = {png};
    png_only.companions_pasted = {png};
    all.push_back(png_only);
    Case beside_dib = picture("DIB beside a PNG that is not one", header({}) + filled(16, 0x40), "Image, 2 " + TIMES + " 2");
    beside_dib.blocks.push_back(registered("PNG", ascii("not a PNG at all")));
    beside_dib.companions_pasted = {beside_dib.blocks.back()};
    all.push_back(beside_dib);
    all.push_back(ignored("PNG alone that is not one", {registered("PNG", ascii("not a PNG at all"))}));
    all.push_back(ignored("PNG alone claiming 100000 x 100000", {registered("PNG", [] {
                              // The small picture's header made to claim the size, its check made again.
                              Bytes p = png_of(2, 2, TRANSPARENT_RGBA);
                              Bytes claim;
                              put_u32_be(claim, 100000);
                              put_u32_be(claim, 100000);
                              std::copy(claim.begin(), claim.end(), p.begin() + 16);
                              Bytes chunk(p.begin() + 12, p.begin() + 29);
                              Bytes crc;
                              put_u32_be(crc, png_crc(chunk, 0));
                              std::copy(crc.begin(), crc.end(), p.begin() + 29);
                              return p;
                          }())}));
}

void add_oversized(std::vector<Case>& all) {
    all.push_back(ignored("text block of 256 MiB + 2 bytes", {Block{CF_TEXT_UNICODE, {}, LIMIT + 2, {'A', 0}, false}}));
    all.push_back(ignored("DIB block of 256 MiB + 4 bytes",
                          {Block{CF_PICTURE, header({.width = 8192, .height = 8192}), LIMIT + 4, {0x55}, false}}));
    all.push_back(ignored("drop block of 256 MiB + 2 bytes",
                          {Block{CF_FILES, drop_header(20) + utf16(u"C:\\big") + utf16(u""), LIMIT + 2, {0}, false}}));
}

}  // namespace

const std::vector<Case>& cases() {
    static const std::vector<Case> all = [] {
        std::vector<Case> made;
        add_pictures(made);
        add_file_lists(made);
        add_texts(made);
        add_oversized(made);
        add_companions(made);
        return made;
    }();
    return all;
}

Bytes transparent_png() { return png_of(2, 2, TRANSPARENT_RGBA); }

Bytes transparent_png_dib() {
    Bytes dib = header({.width = 2, .height = 2, .bits = 32, .image_size = 16});
    for (int y = 1; y >= 0; --y)
        for (int x = 0; x < 2; ++x) {
            const uint8_t* p = &TRANSPARENT_RGBA[size_t(y * 8 + x * 4)];
            dib.insert(dib.end(), {p[2], p[1], p[0], p[3]});
        }
    return dib;
}

Bytes materialise(const Block& b) {
    Bytes out = b.head;
    if (b.size <= out.size()) {
        out.resize(size_t(b.size));
        return out;
    }
    out.reserve(size_t(b.size));
    for (size_t i = 0; out.size() < b.size; ++i) out.push_back(b.fill.empty() ? 0 : b.fill[i % b.fill.size()]);
    return out;
}

}  // namespace korvane::hostile
