// The SVG renderer: placement against an independently placed reference, the library's error
// texts, hostile documents, the memory and time limits and the recovery after a fault inside
// the library.
#include "svg/svg_render.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

#include "svg/resvg_host.h"

namespace korvane {
namespace {

const std::string NS = "xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink'";

std::string document(const std::string& attributes, const std::string& body) {
    return "<svg " + NS + " " + attributes + ">" + body + "</svg>";
}

std::string read_data(const std::string& name) {
    std::ifstream in(std::string(KORVANE_SVG_TEST_DATA) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return {std::istreambuf_iterator<char>(in), {}};
}

SvgResult render(const std::string& svg) {
    return render_svg({reinterpret_cast<const uint8_t*>(svg.data()), svg.size()});
}

std::string error_of(const std::string& svg) {
    SvgResult r = render(svg);
    return r.picture ? "(a picture)" : r.error;
}

const uint8_t* pixel(const std::vector<uint8_t>& picture, int x, int y) {
    return &picture[(static_cast<size_t>(y) * PICTURE_SIDE + x) * 4];
}

bool transparent(const std::vector<uint8_t>& picture) {
    return std::all_of(picture.begin(), picture.end(), [](uint8_t b) { return b == 0; });
}

// How a document places its content, as its author wrote it: size in user units, viewBox,
// alignment per axis (-1 for "none", 0 min, 1 mid, 2 max) and meet or slice.
struct Geometry {
    float width, height;
    float view_x, view_y, view_w, view_h;
    int align_x, align_y;
    bool slice;
};

// The same content as `svg`, inside a 96 x 96 document that draws at its own size, wrapped in
// one group whose matrix is the wanted placement: scale s = min(96 / w, 96 / h), translate to
// the centre, after the viewBox mapping of SVG's preserveAspectRatio.
std::string reference_document(const std::string& svg, const Geometry& g) {
    float s = std::min(96.0f / g.width, 96.0f / g.height);
    float tx = (96.0f - g.width * s) * 0.5f, ty = (96.0f - g.height * s) * 0.5f;
    float sx = g.width / g.view_w, sy = g.height / g.view_h;
    if (g.align_x >= 0) sx = sy = g.slice ? std::max(sx, sy) : std::min(sx, sy);
    float mx = -g.view_x * sx, my = -g.view_y * sy;
    if (g.align_x > 0) mx += (g.width - g.view_w * sx) * (g.align_x == 1 ? 0.5f : 1.0f);
    if (g.align_y > 0) my += (g.height - g.view_h * sy) * (g.align_y == 1 ? 0.5f : 1.0f);
    char matrix[200];
    std::snprintf(matrix, sizeof matrix, "matrix(%.17g 0 0 %.17g %.17g %.17g)", double(s * sx), double(s * sy),
                  double(s * mx + tx), double(s * my + ty));
    size_t body = svg.find('>') + 1;
    size_t end = svg.rfind("</svg>");
    return document("width='96' height='96' viewBox='0 0 96 96'",
                    std::string("<g transform='") + matrix + "'>" + svg.substr(body, end - body) + "</g>");
}

// Renders a document at its own size through the library's plain path, as BGRA.
std::vector<uint8_t> render_plain(const std::string& svg) {
    ResvgEngine* engine = resvg_engine_new(0);
    uint32_t tree = 0, width = 0, height = 0;
    uint8_t* rgba = nullptr;
    char error[300] = "";
    std::vector<uint8_t> out;
    if (resvg_parse(engine, reinterpret_cast<const uint8_t*>(svg.data()), svg.size(), nullptr, &tree, error,
                    sizeof error) == RESVG_OK &&
        resvg_render_tree(engine, tree, &rgba, &width, &height, error, sizeof error) == RESVG_OK) {
        out.assign(rgba, rgba + size_t{width} * height * 4);
        for (size_t i = 0; i < out.size(); i += 4) std::swap(out[i], out[i + 2]);
    }
    std::free(rgba);
    resvg_free_tree(engine, tree);
    resvg_engine_free(engine);
    EXPECT_EQ(width * height * 4, PICTURE_BYTES) << error;
    return out;
}

TEST(SvgPicture, IsPremultipliedBgraFittedAndCentred) {
    SvgResult wide = render(read_data("wide.svg"));
    ASSERT_TRUE(wide.picture) << wide.error;
    const std::vector<uint8_t>& p = *wide.picture;
    ASSERT_EQ(p.size(), 36864u);
    // 200 x 100 becomes 96 x 48 at y = 24: rows 24 to 71 are red, the rest transparent.
    EXPECT_EQ(pixel(p, 0, 23)[3], 0);
    EXPECT_EQ(pixel(p, 95, 72)[3], 0);
    for (int y : {24, 48, 71}) {
        const uint8_t* c = pixel(p, y == 48 ? 0 : 95, y);
        EXPECT_EQ((std::vector<int>{c[0], c[1], c[2], c[3]}), (std::vector<int>{0, 0, 255, 255})) << "row " << y;
    }

    SvgResult half = render(document("width='10' height='10'", "<rect width='10' height='10' fill='#f00' fill-opacity='0.5'/>"));
    ASSERT_TRUE(half.picture) << half.error;
    const uint8_t* c = pixel(*half.picture, 40, 60);
    EXPECT_EQ((std::vector<int>{c[0], c[1], c[2], c[3]}), (std::vector<int>{0, 0, 128, 128}));
}

TEST(SvgPicture, PatternsUnderAStrokeStayPremultiplied) {
    // The library rounds this pattern's red a step above its alpha at one edge pixel.
    SvgResult r = render(read_data("pattern_rounding.svg"));
    ASSERT_TRUE(r.picture) << r.error;
    const std::vector<uint8_t>& p = *r.picture;
    int drawn = 0;
    for (size_t i = 0; i < p.size(); i += 4) {
        for (size_t c = 0; c < 3; ++c) ASSERT_LE(p[i + c], p[i + 3]) << "pixel " << i / 4 << " channel " << c;
        drawn += p[i + 2] > 0;
    }
    EXPECT_GT(drawn, 0);
}

TEST(SvgPicture, EqualsTheReferencePlacementPixelForPixel) {
    struct Case {
        const char* file;
        Geometry geometry;
    };
    const Case cases[] = {
        {"square.svg", {24, 24, 0, 0, 24, 24, 1, 1, false}},
        {"tall.svg", {33, 50, 0, 0, 33, 50, 1, 1, false}},
        {"fractional_slice.svg", {10.5f, 20.25f, 1.5f, 2, 3, 4, 0, 2, true}},
        {"outside_view_box.svg", {60, 30, 0, 0, 60, 30, 1, 1, false}},
        {"units.svg", {96, float(2.0 * 96 / 2.54), 0, 0, 10, 8, 1, 1, false}},
        {"gradients.svg", {100, 64, 0, 0, 100, 64, 1, 1, false}},
        {"stretched.svg", {50, 30, 0, 0, 10, 10, -1, -1, false}},
    };
    for (const Case& c : cases) {
        std::string svg = read_data(c.file);
        SvgResult got = render(svg);
        ASSERT_TRUE(got.picture) << c.file << ": " << got.error;
        std::vector<uint8_t> want = render_plain(reference_document(svg, c.geometry));
        EXPECT_FALSE(transparent(want)) << c.file;
        size_t differing = 0;
        for (size_t i = 0; i < want.size() && i < got.picture->size(); i++) differing += want[i] != (*got.picture)[i];
        EXPECT_EQ(differing, 0u) << c.file;
    }
}

TEST(SvgPicture, ContentOutsideTheViewBoxReachesTheMargin) {
    // 60 x 30 is placed 96 x 48 at y = 24; the half-transparent rectangle reaches beyond it.
    SvgResult r = render(read_data("outside_view_box.svg"));
    ASSERT_TRUE(r.picture) << r.error;
    EXPECT_GT(pixel(*r.picture, 48, 10)[3], 0);
    EXPECT_GT(pixel(*r.picture, 48, 85)[3], 0);
}

TEST(SvgPicture, StretchedDocumentsKeepTheirImages) {
    // A 2 x 1 PNG (red, blue) over a 40 x 10 document whose viewBox is stretched: placed 96 x 24
    // at y = 36, red on the left half and blue on the right.
    SvgResult r = render(read_data("stretched_image.svg"));
    ASSERT_TRUE(r.picture) << r.error;
    const uint8_t* left = pixel(*r.picture, 20, 48);
    const uint8_t* right = pixel(*r.picture, 75, 48);
    EXPECT_EQ((std::vector<int>{left[0], left[2], left[3]}), (std::vector<int>{0, 255, 255}));
    EXPECT_EQ((std::vector<int>{right[0], right[2], right[3]}), (std::vector<int>{255, 0, 255}));
    EXPECT_EQ(pixel(*r.picture, 48, 30)[3], 0);
    EXPECT_EQ(pixel(*r.picture, 48, 65)[3], 0);
}

TEST(SvgPicture, TextIsNotDrawnWithoutFonts) {
    SvgResult r = render(read_data("text_only.svg"));
    ASSERT_TRUE(r.picture) << r.error;
    EXPECT_TRUE(transparent(*r.picture));
}

TEST(SvgPicture, RepeatedAndConcurrentConversionsGiveIdenticalPixels) {
    const std::string a = read_data("tall.svg"), b = read_data("gradients.svg");
    const SvgResult first_a = render(a), first_b = render(b);
    ASSERT_TRUE(first_a.picture && first_b.picture);
    for (int i = 0; i < 20; i++) {
        SvgResult r = render(i % 2 ? a : b);
        ASSERT_TRUE(r.picture);
        EXPECT_EQ(*r.picture, i % 2 ? *first_a.picture : *first_b.picture) << "conversion " << i;
    }
    bool same[2] = {true, true};
    std::thread one([&] { for (int i = 0; i < 8; i++) same[0] = same[0] && render(a).picture == first_a.picture; });
    std::thread two([&] { for (int i = 0; i < 8; i++) same[1] = same[1] && render(b).picture == first_b.picture; });
    one.join();
    two.join();
    EXPECT_TRUE(same[0] && same[1]);
}

TEST(SvgErrors, CarryTheLibrarysText) {
    const std::pair<const char*, const char*> cases[] = {
        {"malformed.svg", "SVG data parsing failed cause expected 'rect' tag, not 'svg' at 1:70"},
        {"empty.svg", "SVG data parsing failed cause the document does not have a root node"},
        {"binary.svg", "provided data has not an UTF-8 encoding"},
        {"latin1.svg", "provided data has not an UTF-8 encoding"},
        {"zero_size.svg", "SVG has an invalid size"},
    };
    for (const auto& [file, text] : cases) EXPECT_EQ(error_of(read_data(file)), text) << file;
    EXPECT_EQ(error_of("<html><body/></html>"), "SVG data parsing failed cause the document does not have a root node");
    EXPECT_EQ(error_of("<svg width='10' height='10'/>"), "SVG data parsing failed cause the document does not have a root node");
}

TEST(SvgErrors, InputBeyondTheSizeLimitIsRefusedUnread) {
    const std::string head = "<svg " + NS + " width='10' height='10'><rect width='5' height='5'/>", tail = "</svg>";
    std::string at_limit = head + std::string(SVG_MAX_FILE_BYTES - head.size() - tail.size(), ' ') + tail;
    ASSERT_EQ(at_limit.size(), SVG_MAX_FILE_BYTES);
    SvgResult read = render(at_limit);
    EXPECT_TRUE(read.picture) << read.error;
    at_limit.insert(head.size(), " ");
    EXPECT_EQ(error_of(at_limit), "the file is larger than 32 MiB");

    set_svg_limits({1000, SVG_MEMORY_LIMIT});
    EXPECT_EQ(error_of(document("width='10' height='10'", std::string(1000, ' '))), "the file is larger than 1000 bytes");
    set_svg_limits({});
}

std::string nested(int depth, const std::string& open, const std::string& close) {
    std::string body;
    for (int i = 0; i < depth; i++) body += open;
    body += "<rect width='5' height='5' fill='#09c'/>";
    for (int i = 0; i < depth; i++) body += close;
    return document("width='10' height='10'", body);
}

TEST(SvgHostile, DeepNestingEndsInAnErrorOrAPictureNeverACrash) {
    const std::string good = read_data("tall.svg");
    const SvgResult before = render(good);
    ASSERT_TRUE(before.picture);
    // The parser refuses deeper nesting than 1024 elements ...
    EXPECT_EQ(error_of(nested(1030, "<g>", "</g>")), "SVG data parsing failed cause nodes limit reached");
    EXPECT_EQ(error_of(nested(100000, "<g>", "</g>")), "SVG data parsing failed cause nodes limit reached");
    // ... and what it accepts fits the call-depth limit and the conversion thread's stack.
    for (const char* open : {"<g>", "<g opacity='0.9'>", "<svg>"}) {
        std::string close = open[1] == 'g' ? "</g>" : "</svg>";
        SvgResult deep = render(nested(1000, open, close));
        ASSERT_TRUE(deep.picture) << open << ": " << deep.error;
        EXPECT_GT(pixel(*deep.picture, 10, 10)[3], 0) << open;
    }
    EXPECT_EQ(render(good).picture, before.picture);
}

TEST(SvgHostile, ExhaustedCallDepthIsAnErrorAndTheNextFileRendersAgain) {
    const std::string good = read_data("tall.svg");
    const SvgResult before = render(good);
    uint32_t depth = resvg_call_depth_limit();
    resvg_set_call_depth_limit(200);
    std::string error = error_of(nested(300, "<g>", "</g>"));
    resvg_set_call_depth_limit(depth);
    EXPECT_EQ(error, "internal error in the SVG library: Call stack exhausted");
    EXPECT_EQ(render(good).picture, before.picture);
}

TEST(SvgHostile, RunawayDocumentsStopAtTheMemoryLimit) {
    const std::string good = read_data("tall.svg");
    const SvgResult before = render(good);
    set_svg_limits({SVG_MAX_FILE_BYTES, uint64_t{32} << 20});
    std::string many;
    for (int i = 0; i < 60000; i++) many += "<rect width='3' height='3'/>";
    EXPECT_EQ(error_of(document("width='10' height='10'", many)), "out of memory (limit 32 MiB)");
    // Each level uses the one below ten times: 10^8 shapes once expanded.
    std::string bomb = "<defs><rect id='l0' width='1' height='1'/>";
    for (int level = 1; level <= 8; level++) {
        bomb += "<g id='l" + std::to_string(level) + "'>";
        for (int i = 0; i < 10; i++) bomb += "<use xlink:href='#l" + std::to_string(level - 1) + "'/>";
        bomb += "</g>";
    }
    bomb += "</defs><use xlink:href='#l8'/>";
    EXPECT_EQ(error_of(document("width='10' height='10'", bomb)), "out of memory (limit 32 MiB)");
    EXPECT_EQ(render(good).picture, before.picture);
    set_svg_limits({});
    EXPECT_EQ(render(good).picture, before.picture);
}

// The threads of this process, where the system lists them.
std::optional<size_t> thread_count() {
#ifdef __linux__
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return size_t(std::distance(begin(tasks), end(tasks)));
#else
    return std::nullopt;
#endif
}

TEST(SvgHostile, DocumentsThatWouldRunForMinutesStopAtTheTimeLimitAndNothingRunsOn) {
    const std::string good = read_data("tall.svg");
    const SvgResult before = render(good);
    const std::optional<size_t> threads = thread_count();
    // Each of these runs for 20 s to days here: a filter of 10^9 octaves, a convolution kernel of
    // 80 x 80 over a large filter region, 10^5 uses of one rectangle, 10^5 rectangles.
    SvgResult turbulence = render(read_data("slow_turbulence.svg"));
    EXPECT_TRUE(turbulence.too_long);
    EXPECT_EQ(turbulence.error, "the conversion took longer than 3 s");
    set_svg_limits({SVG_MAX_FILE_BYTES, SVG_MEMORY_LIMIT, std::chrono::milliseconds(500)});
    for (const char* file : {"slow_convolve.svg", "slow_use_fan_out.svg", "slow_rectangles.svg"}) {
        SvgResult slow = render(read_data(file));
        EXPECT_FALSE(slow.picture) << file;
        EXPECT_TRUE(slow.too_long) << file;
        EXPECT_EQ(slow.error, "the conversion took longer than 500 ms") << file;
        if (threads) EXPECT_EQ(thread_count(), threads) << file;
        EXPECT_EQ(render(good).picture, before.picture) << file;
    }
    set_svg_limits({});
    EXPECT_FALSE(render(good).too_long);
}

TEST(SvgHostile, AbsurdSizesGiveAnErrorOrAPicture) {
    for (const char* size : {"width='1e38' height='1e38'", "width='1e39' height='5'", "width='1e-30' height='1e-30'",
                             "width='100000000' height='1'"}) {
        SvgResult r = render(document(size, "<rect width='100%' height='100%'/>"));
        EXPECT_TRUE(r.picture ? r.picture->size() == PICTURE_BYTES : !r.error.empty()) << size;
    }
}

TEST(SvgHost, OutOfBoundsAccessInsideTheModuleIsATrapNotACrash) {
    ResvgEngine* engine = resvg_engine_new(0);
    uint8_t* rgba = nullptr;
    uint32_t width = 0, height = 0;
    char error[300] = "";
    EXPECT_EQ(resvg_render_tree(engine, 0xFFFFFFF0u, &rgba, &width, &height, error, sizeof error), RESVG_TRAPPED);
    EXPECT_STREQ(error, "internal error in the SVG library: Out-of-bounds access in linear memory or a table");
    EXPECT_TRUE(resvg_engine_unusable(engine));
    EXPECT_EQ(resvg_engine_restart(engine), RESVG_OK);
    EXPECT_FALSE(resvg_engine_unusable(engine));
    const std::string good = read_data("tall.svg");
    std::vector<uint8_t> picture(PICTURE_BYTES);
    EXPECT_EQ(resvg_render_picture(engine, reinterpret_cast<const uint8_t*>(good.data()), good.size(), picture.data(),
                                   error, sizeof error),
              RESVG_OK);
    EXPECT_EQ(picture, render(good).picture);
    resvg_engine_free(engine);
}

TEST(SvgHost, AStopRequestEndsTheCallAndAFreshInstanceRendersAsBefore) {
    ResvgEngine* engine = resvg_engine_new(0);
    const std::string good = read_data("tall.svg");
    const auto* bytes = reinterpret_cast<const uint8_t*>(good.data());
    std::vector<uint8_t> picture(PICTURE_BYTES);
    char error[300] = "";
    resvg_request_stop();
    EXPECT_EQ(resvg_render_picture(engine, bytes, good.size(), picture.data(), error, sizeof error), RESVG_STOPPED);
    resvg_clear_stop();
    EXPECT_STREQ(error, "stopped");
    EXPECT_TRUE(resvg_engine_unusable(engine));
    EXPECT_EQ(resvg_render_picture(engine, bytes, good.size(), picture.data(), error, sizeof error), RESVG_UNUSABLE);
    EXPECT_EQ(resvg_engine_restart(engine), RESVG_OK);
    EXPECT_EQ(resvg_render_picture(engine, bytes, good.size(), picture.data(), error, sizeof error), RESVG_OK);
    EXPECT_EQ(picture, render(good).picture);
    resvg_engine_free(engine);
}

TEST(SvgHost, DocumentGeometryReadFromMemoryAgreesWithTheSerialisedTree) {
    ResvgEngine* engine = resvg_engine_new(0);
    const std::string documents[] = {
        document("width='10.5' height='20.25' viewBox='1.5 2 3 4' preserveAspectRatio='xMinYMax slice'", ""),
        document("width='1in' height='2cm'", ""),
        document("viewBox='-3 -4 24 12'", ""),
        document("", ""),
        document("width='48' height='32' viewBox='0 0 10 10' preserveAspectRatio='none'", "<rect width='1' height='1'/>"),
        document("width='7' height='9' viewBox='0.1 0.2 0.3 0.4' preserveAspectRatio='xMaxYMid'", ""),
    };
    for (const std::string& d : documents) {
        uint32_t tree = 0;
        char error[300] = "";
        ResvgDocument fast{}, slow{};
        ASSERT_EQ(resvg_parse(engine, reinterpret_cast<const uint8_t*>(d.data()), d.size(), nullptr, &tree, error,
                              sizeof error),
                  RESVG_OK)
            << error;
        ASSERT_EQ(resvg_describe(engine, tree, 0, &fast, error, sizeof error), RESVG_OK);
        ASSERT_EQ(resvg_describe(engine, tree, 1, &slow, error, sizeof error), RESVG_OK);
        EXPECT_TRUE(resvg_layout_known());
        EXPECT_EQ((std::vector<float>{fast.width, fast.height, fast.view_x, fast.view_y, fast.view_w, fast.view_h}),
                  (std::vector<float>{slow.width, slow.height, slow.view_x, slow.view_y, slow.view_w, slow.view_h}))
            << d;
        EXPECT_EQ(fast.align, slow.align) << d;
        EXPECT_EQ(fast.slice, slow.slice) << d;
        resvg_free_tree(engine, tree);
    }
    resvg_engine_free(engine);
}

}  // namespace
}  // namespace korvane
