// The portable core's hot paths, each beside the plainest code that does the same amount of
// memory work, so scripts/bench can report a ratio that survives a noisy machine.  A pair is
// named "<case>/product" and "<case>/baseline".
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../../tests/core/dib_builder.hpp"
#include "core/clip.hpp"
#include "core/layout.hpp"
#include "core/picture.hpp"
#include "core/pins_file.hpp"
#include "core/store.hpp"
#include "core/template.hpp"

namespace korvane {
namespace {

constexpr int32_t MEGABYTE_SIDE = 512;  // 512 x 512 x 4 bytes of pixels: one MiB

Bytes random_bytes(size_t n, uint32_t seed) {
    std::mt19937 generator(seed);
    Bytes bytes(n);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(generator());
    return bytes;
}

// A packed 32-bit top-down DIB of noise, so no comparison can stop early by luck.
Bytes noise_dib(int32_t side, uint32_t seed) {
    Bytes dib = random_bytes(40 + size_t(side) * size_t(side) * 4, seed);
    const Bytes header = test::dib_with_header(side, -side, 40);
    std::copy(header.begin(), header.end(), dib.begin());
    return dib;
}

std::vector<Clip> picture_pins() {
    std::vector<Clip> pins(PIN_CAPACITY);
    for (size_t i = 0; i < pins.size(); ++i) {
        pins[i].content = ClipContent::make_image(noise_dib(MEGABYTE_SIDE, uint32_t(i)));
        pins[i].animal_index = unsigned(i);
        pins[i].name = "picture " + std::to_string(i);
        pins[i].id = next_clip_id();
    }
    return pins;
}

// ---- pins file: 20 pins of one-MiB pictures

void pins_encode_product(benchmark::State& state) {
    const std::vector<Clip> pins = picture_pins();
    size_t size = 0;
    for (auto _ : state) {
        Bytes file = encode_pins(pins);
        size = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void pins_encode_baseline(benchmark::State& state) {
    const Bytes file = encode_pins(picture_pins());
    for (auto _ : state) {
        const auto out = std::make_unique_for_overwrite<uint8_t[]>(file.size());
        std::memcpy(out.get(), file.data(), file.size());
        benchmark::DoNotOptimize(out.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void pins_decode_product(benchmark::State& state) {
    const Bytes file = encode_pins(picture_pins());
    for (auto _ : state) {
        DecodedPins pins = decode_pins(file);
        if (!std::holds_alternative<std::vector<Clip>>(pins)) state.SkipWithError("the pins did not decode");
        benchmark::DoNotOptimize(pins);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void pins_decode_baseline(benchmark::State& state) {
    const Bytes file = encode_pins(picture_pins());
    for (auto _ : state) {
        const auto copy = std::make_unique_for_overwrite<uint8_t[]>(file.size());
        std::memcpy(copy.get(), file.data(), file.size());
        benchmark::DoNotOptimize(copy.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

// ---- record_capture into a full store (10 Recent clips, 20 pins)
//
// Each capture is new, so it scans all 30 clips, makes a clip and pushes the oldest Recent clip
// out.  The baseline copies the captured content once, the copy every capture makes anyway when
// it reads the clipboard block.

ClipStore full_text_store(std::vector<std::string>& texts) {
    ClipStore store;
    for (size_t i = 0; i < PIN_CAPACITY; ++i) add_pin(store, ClipContent::make_text(texts[i]), std::nullopt, {});
    for (size_t i = 0; i < RECENT_CAPACITY; ++i) record_capture(store, ClipContent::make_text(texts[PIN_CAPACITY + i]));
    return store;
}

std::vector<std::string> capture_texts(size_t n) {
    std::vector<std::string> texts;
    for (size_t i = 0; i < n; ++i)
        texts.push_back("A paragraph copied from a document, number " + std::to_string(i) +
                        ", long enough to be a typical clip of text: " + std::string(120, char('a' + i % 26)));
    return texts;
}

void record_capture_text_product(benchmark::State& state) {
    std::vector<std::string> texts = capture_texts(4096);
    ClipStore store = full_text_store(texts);
    size_t next = PIN_CAPACITY + RECENT_CAPACITY;
    for (auto _ : state) {
        record_capture(store, ClipContent::make_text(texts[next]));
        next = next + 1 < texts.size() ? next + 1 : PIN_CAPACITY;  // pins never come round again
    }
    if (store.recent.size() != RECENT_CAPACITY) state.SkipWithError("the Recent list is not full");
}

void record_capture_text_baseline(benchmark::State& state) {
    std::vector<std::string> texts = capture_texts(4096);
    size_t next = 0;
    for (auto _ : state) {
        ClipContent content = ClipContent::make_text(texts[next]);
        benchmark::DoNotOptimize(content.text.data());
        next = next + 1 < texts.size() ? next + 1 : 0;
    }
}

// The worst case for pictures: every stored picture has the size of the new one and differs
// from it only in its last byte, so each of the 30 comparisons reads a whole MiB.
void record_capture_picture_product(benchmark::State& state) {
    const Bytes base = noise_dib(MEGABYTE_SIDE, 7);
    uint32_t serial = 0;
    const auto variant = [&] {
        Bytes dib = base;
        ++serial;
        std::memcpy(&dib[dib.size() - 4], &serial, 4);
        return dib;
    };
    ClipStore store;
    for (size_t i = 0; i < PIN_CAPACITY; ++i) add_pin(store, ClipContent::make_image(variant()), std::nullopt, {});
    for (size_t i = 0; i < RECENT_CAPACITY; ++i) record_capture(store, ClipContent::make_image(variant()));
    for (auto _ : state) record_capture(store, ClipContent::make_image(variant()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(base.size()));
}

void record_capture_picture_baseline(benchmark::State& state) {
    const Bytes base = noise_dib(MEGABYTE_SIDE, 7);
    for (auto _ : state) {
        ClipContent content = ClipContent::make_image(base);
        benchmark::DoNotOptimize(content.dib.raw().data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(base.size()));
}

// ---- hit testing and drop positions over the full docked strip at 96 dpi (10 + 20 tiles)
//
// Every pixel of a 76 x 1080 strip is tried.  The baseline tries the same points against the
// 30 tile and 4 button rectangles, worked out once: the "at most 30 rectangle tests" a lookup
// of this kind is allowed.

ToolbarLayout full_layout() {
    return make_layout(ToolbarView{true, 0}, ClientArea{76, 1080}, 96, RECENT_CAPACITY, PIN_CAPACITY);
}

void hit_test_product(benchmark::State& state) {
    const ToolbarLayout layout = full_layout();
    for (auto _ : state) {
        int64_t sum = 0;
        for (int32_t y = 0; y < layout.client_height; ++y)
            for (int32_t x = 0; x < layout.client_width; ++x) {
                const HitTarget hit = hit_test(layout, x, y);
                sum += int64_t(hit.kind) + int64_t(hit.index);
            }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * layout.client_width * layout.client_height);
}

struct Target {
    Rect rect;
    int64_t code;
};

std::vector<Target> rectangles_of(const ToolbarLayout& layout) {
    std::vector<Target> targets;
    for (const Button& b : button_list(layout)) targets.push_back({b.rect, int64_t(b.kind)});
    for (uint64_t i = 0; i < layout.recent_count; ++i) targets.push_back({tile_rect(layout, Area::Recent, i), int64_t(i)});
    for (uint64_t i = 0; i < layout.pinned_count; ++i)
        targets.push_back({tile_rect(layout, Area::Pinned, i), int64_t(100 + i)});
    return targets;
}

void rectangle_scan(benchmark::State& state) {
    const ToolbarLayout layout = full_layout();
    const std::vector<Target> targets = rectangles_of(layout);
    for (auto _ : state) {
        int64_t sum = 0;
        for (int32_t y = 0; y < layout.client_height; ++y)
            for (int32_t x = 0; x < layout.client_width; ++x) {
                int64_t found = -1;
                for (const Target& t : targets)
                    if (t.rect.contains(x, y)) {
                        found = t.code;
                        break;
                    }
                sum += found;
            }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * layout.client_width * layout.client_height);
}

void drop_target_product(benchmark::State& state) {
    const ToolbarLayout layout = full_layout();
    for (auto _ : state) {
        int64_t sum = 0;
        for (int32_t y = 0; y < layout.client_height; ++y)
            for (int32_t x = 0; x < layout.client_width; ++x)
                if (const std::optional<DropTarget> drop = drop_target_at(layout, x, y))
                    sum += int64_t(drop->section) + int64_t(drop->index);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * layout.client_width * layout.client_height);
}

// ---- scaling a 96 x 96 picture to a tile's picture size (36 DIPs at 96 and at 192 dpi)

template <int Size>
void scale_picture_product(benchmark::State& state) {
    const Bytes picture = random_bytes(PICTURE_BYTES, 3);
    for (auto _ : state) {
        std::vector<uint8_t> scaled = scale_picture_pixels(picture, Size);
        benchmark::DoNotOptimize(scaled.data());
    }
}

void scale_picture_baseline(benchmark::State& state) {
    const Bytes picture = random_bytes(PICTURE_BYTES, 3);
    for (auto _ : state) {
        const auto copy = std::make_unique_for_overwrite<uint8_t[]>(picture.size());
        std::memcpy(copy.get(), picture.data(), picture.size());
        benchmark::DoNotOptimize(copy.get());
    }
}

// ---- substitute: a template with 20 variables, each with one value
//
// The baseline builds the same text from its pieces with appends and copies the definitions
// once, which is what a substitution has to produce.

struct TemplateCase {
    std::string text;
    std::vector<VariableDefinition> definitions;
    std::vector<ValueList> values;
    std::vector<std::string> literals;  // literals[i] comes before variable i; one more at the end
};

TemplateCase template_case() {
    TemplateCase c;
    for (int i = 0; i < 20; ++i) {
        const std::string name = "field " + std::to_string(i);
        c.literals.push_back(i == 0 ? "Dear customer,\n" : ", and then line " + std::to_string(i) + " says ");
        c.text += c.literals.back() + "${" + name + "}";
        VariableDefinition d;
        d.name = name;
        d.kind = i % 4 == 2 ? VariableKind::SingleChoice : VariableKind::FreeText;
        if (d.kind == VariableKind::SingleChoice) d.options = {"yes", "no", "maybe"};
        d.remembered_values = {"earlier value " + std::to_string(i)};
        c.definitions.push_back(std::move(d));
        c.values.push_back({"the value of field " + std::to_string(i)});
    }
    c.literals.push_back(".\nRegards");
    c.text += c.literals.back();
    return c;
}

void substitute_product(benchmark::State& state) {
    const TemplateCase c = template_case();
    for (auto _ : state) {
        Substitution s = substitute(c.text, c.definitions, c.values);
        benchmark::DoNotOptimize(s.text.data());
    }
}

void substitute_baseline(benchmark::State& state) {
    const TemplateCase c = template_case();
    for (auto _ : state) {
        std::string text;
        for (size_t i = 0; i < c.values.size(); ++i) {
            text += c.literals[i];
            text += c.values[i].front();
        }
        text += c.literals.back();
        std::vector<VariableDefinition> definitions = c.definitions;
        benchmark::DoNotOptimize(text.data());
        benchmark::DoNotOptimize(definitions.data());
    }
}

}  // namespace
}  // namespace korvane

using namespace korvane;
BENCHMARK(pins_encode_product)->Name("pins_encode/product")->Unit(benchmark::kMillisecond);
BENCHMARK(pins_encode_baseline)->Name("pins_encode/baseline")->Unit(benchmark::kMillisecond);
BENCHMARK(pins_decode_product)->Name("pins_decode/product")->Unit(benchmark::kMillisecond);
BENCHMARK(pins_decode_baseline)->Name("pins_decode/baseline")->Unit(benchmark::kMillisecond);
BENCHMARK(record_capture_text_product)->Name("record_capture_text/product");
BENCHMARK(record_capture_text_baseline)->Name("record_capture_text/baseline");
BENCHMARK(record_capture_picture_product)->Name("record_capture_picture/product")->Unit(benchmark::kMicrosecond);
BENCHMARK(record_capture_picture_baseline)->Name("record_capture_picture/baseline")->Unit(benchmark::kMicrosecond);
BENCHMARK(hit_test_product)->Name("hit_test/product")->Unit(benchmark::kMicrosecond);
BENCHMARK(rectangle_scan)->Name("hit_test/baseline")->Unit(benchmark::kMicrosecond);
BENCHMARK(drop_target_product)->Name("drop_target_at/product")->Unit(benchmark::kMicrosecond);
BENCHMARK(rectangle_scan)->Name("drop_target_at/baseline")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(scale_picture_product, 36)->Name("scale_picture_36/product")->Unit(benchmark::kMicrosecond);
BENCHMARK(scale_picture_baseline)->Name("scale_picture_36/baseline")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(scale_picture_product, 72)->Name("scale_picture_72/product")->Unit(benchmark::kMicrosecond);
BENCHMARK(scale_picture_baseline)->Name("scale_picture_72/baseline")->Unit(benchmark::kMicrosecond);
BENCHMARK(substitute_product)->Name("substitute/product");
BENCHMARK(substitute_baseline)->Name("substitute/baseline");
BENCHMARK_MAIN();
