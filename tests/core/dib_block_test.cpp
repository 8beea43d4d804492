#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/dib_block.hpp"
#include "core/pins_file.hpp"
#include "core/store.hpp"

namespace korvane {
namespace {

enum class Look { Random, Photo, Screenshot };

// A 32-bit bottom-up packed DIB of `width` x `height` whose pixels look like `look`, with
// `extra` bytes after the rows so that sizes fall on and off the threshold.
Bytes picture(Look look, int32_t width, int32_t height, size_t extra = 0) {
    Bytes dib(40 + size_t(width) * size_t(height) * 4 + extra);
    const uint32_t header[] = {40, uint32_t(width), uint32_t(height), 1 | (32u << 16)};
    std::memcpy(dib.data(), header, sizeof header);
    std::mt19937 random(uint32_t(width * 31 + height));
    uint8_t* p = dib.data() + 40;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x, p += 4) {
            const uint32_t noise = random();
            switch (look) {
            case Look::Random: std::memcpy(p, &noise, 4); break;
            case Look::Photo:  // smooth light with a little grain
                p[0] = uint8_t((x * 255 / width) + (noise & 7));
                p[1] = uint8_t((y * 255 / height) + ((noise >> 3) & 7));
                p[2] = uint8_t(((x + y) * 127 / (width + height)) + ((noise >> 6) & 7));
                break;
            case Look::Screenshot: {  // flat panels, rows of "text", a border every 97 pixels
                const bool ink = (y % 18) < 11 && (x * 7 + y * 3) % 5 < 2 && (x / 200) % 3 != 2;
                const uint8_t shade = x % 97 == 0 ? 0x80 : ink ? 0x20 : (y / 300) % 2 ? 0xF0 : 0xFF;
                std::memset(p, shade, 3);
                break;
            }
            }
            p[3] = 0;
        }
    for (size_t i = 0; i < extra; ++i) *p++ = uint8_t(random());
    return dib;
}

DibBlock packed(const Bytes& raw) {
    DibBlock block(raw);
    std::optional<Bytes> stream = pack_bytes(raw);
    EXPECT_TRUE(stream);
    EXPECT_TRUE(block.adopt_packed(block.raw_share().get(), std::move(*stream)));
    return block;
}

TEST(PicturesHeldCompressed, GiveBackExactlyTheCapturedBytesInEverySizeClass) {
    struct Case {
        Look look;
        int32_t width, height;
        size_t extra;
        bool kept_compressed;
    };
    const Case cases[] = {
        {Look::Random, 3, 2, 1, false},
        {Look::Screenshot, 512, 511, 0, false},                    // just under 1 MiB
        {Look::Photo, 512, 512, 0, true},                          // 1 MiB and 40 bytes
        {Look::Random, 512, 512, 0, true},                         // does not shrink
        {Look::Photo, 1000, 700, 13, true},                        // several pieces, an odd end
        {Look::Screenshot, 3840, 2160, 0, true},                   // an 8-megapixel screenshot
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.look) << ": " << c.width << " x " << c.height);
        const Bytes raw = picture(c.look, c.width, c.height, c.extra);
        DibBlock block(raw);
        EXPECT_EQ(block.wants_packing(), c.kept_compressed);
        const DibBlock compressed = packed(raw);
        EXPECT_TRUE(compressed.is_packed());
        EXPECT_TRUE(compressed.raw().empty());
        EXPECT_EQ(compressed.size(), raw.size());
        EXPECT_EQ(compressed.hash(), block.hash());
        EXPECT_TRUE(std::equal(compressed.head().begin(), compressed.head().end(), raw.begin()));
        EXPECT_EQ(compressed.head().size(), std::min(raw.size(), DIB_HEAD_BYTES));
        EXPECT_EQ(compressed.expanded(), raw);
        Bytes out(raw.size());
        EXPECT_TRUE(compressed.expand_into(out));
        EXPECT_EQ(out, raw);
        EXPECT_FALSE(compressed.expand_into(std::span(out).first(out.size() - 1)));
        EXPECT_TRUE(compressed.holds(raw));
    }
}

TEST(PicturesHeldCompressed, ShrinkByWhatTheirContentAllows) {
    const Bytes screenshot = picture(Look::Screenshot, 3840, 2160);
    const Bytes photo = picture(Look::Photo, 1920, 1080);
    EXPECT_LT(pack_bytes(screenshot)->size() * 20, screenshot.size());
    EXPECT_LT(pack_bytes(photo)->size() * 4, photo.size() * 3);
}

TEST(PicturesHeldCompressed, CompareWithoutExpandingAndTellEveryByteApart) {
    const Bytes raw = picture(Look::Photo, 700, 500);
    Bytes last_differs = raw;
    last_differs.back() ^= 1;
    Bytes first_pixel_differs = raw;
    first_pixel_differs[40] ^= 0x80;
    const DibBlock raw_block(raw);
    const DibBlock packed_block = packed(raw);
    EXPECT_EQ(raw_block, packed_block);
    EXPECT_EQ(packed_block, raw_block);
    EXPECT_EQ(packed_block, packed(raw));
    for (const Bytes* other : {&last_differs, &first_pixel_differs}) {
        EXPECT_FALSE(packed_block.holds(*other));
        EXPECT_FALSE(packed_block == DibBlock(*other));
        EXPECT_FALSE(packed_block == packed(*other));
        EXPECT_FALSE(raw_block == DibBlock(*other));
    }
    EXPECT_FALSE(packed_block.holds(std::span(raw).first(raw.size() - 1)));
    EXPECT_EQ(DibBlock(), DibBlock(Bytes{}));
}

TEST(PicturesHeldCompressed, RefuseABadStreamAndPackedBytesOfAnotherBlock) {
    const Bytes raw = picture(Look::Photo, 600, 600);
    Bytes stream = *pack_bytes(raw);
    DibBlock block(raw);
    EXPECT_FALSE(block.adopt_packed(DibBlock(raw).raw_share().get(), stream));
    EXPECT_FALSE(block.is_packed());

    Bytes truncated(stream.begin(), stream.end() - 9);
    DibBlock cut(raw);
    ASSERT_TRUE(cut.adopt_packed(cut.raw_share().get(), truncated));
    EXPECT_FALSE(cut.expanded());
    EXPECT_FALSE(cut.holds(raw));

    Bytes garbled = stream;
    garbled[garbled.size() / 2] ^= 0xFF;
    DibBlock damaged(raw);
    ASSERT_TRUE(damaged.adopt_packed(damaged.raw_share().get(), garbled));
    Bytes out(raw.size());
    EXPECT_TRUE(!damaged.expand_into(out) || out != raw);

    const std::atomic<bool> stop{true};
    EXPECT_FALSE(pack_bytes(raw, &stop));
}

TEST(PicturesHeldCompressed, AreFoundAgainByTheCaptureRuleAndWrittenRawToThePinsFile) {
    const Bytes raw = picture(Look::Screenshot, 1024, 600);
    ClipStore store;
    record_capture(store, ClipContent::make_image(raw));
    record_capture(store, ClipContent::make_text("after"));
    DibBlock& held = store.recent[1].content.dib;
    ASSERT_TRUE(held.adopt_packed(held.raw_share().get(), *pack_bytes(raw)));
    const ClipId id = store.recent[1].id;
    record_capture(store, ClipContent::make_image(raw));
    ASSERT_EQ(store.recent.size(), 2u);
    EXPECT_EQ(store.recent[0].id, id);
    EXPECT_TRUE(store.recent[0].content.dib.is_packed());

    ClipStore raw_store;
    record_capture(raw_store, ClipContent::make_image(raw));
    ASSERT_TRUE(pin_clip(store, 0));
    ASSERT_TRUE(pin_clip(raw_store, 0));
    EXPECT_EQ(encode_pins(store.pins), encode_pins(raw_store.pins));
    const DecodedPins read = decode_pins(encode_pins(store.pins));
    const auto* pins = std::get_if<std::vector<Clip>>(&read);
    ASSERT_TRUE(pins && pins->size() == 1);
    EXPECT_EQ((*pins)[0].content.dib.expanded(), raw);
}

}  // namespace
}  // namespace korvane
