#include "core/logo.hpp"

#include <cstddef>

namespace korvane {
namespace {

constexpr uint32_t BOARD = 0xFF2B6CB0;
constexpr uint32_t SHEET = 0xFFFFFFFF;
constexpr uint32_t TEXT_LINE = 0xFF8A99AA;
constexpr uint32_t CLIP = 0xFF3A3A3A;
constexpr uint32_t PAUSED_BOARD = 0xFF7A7A7A;

// a x S <= value < b x S, in single precision as the picture is defined.
bool within(float value, float a, float b, float size) { return a * size <= value && value < b * size; }

}  // namespace

int logo_size(int small_icon_metric) { return small_icon_metric < 16 ? 16 : small_icon_metric; }

std::vector<uint32_t> logo_pixels(int size, LogoLook look) {
    std::vector<uint32_t> pixels(size > 0 ? std::size_t(size) * std::size_t(size) : 0, 0);
    const float s = static_cast<float>(size);
    const bool paused = look == LogoLook::Paused;
    constexpr float LINE_TOPS[] = {0.38f, 0.52f, 0.66f};
    constexpr float PAUSE_BAR_LEFTS[] = {0.34f, 0.54f};
    for (int i = 0; i < size; ++i) {
        const float y = static_cast<float>(i) + 0.5f;
        for (int j = 0; j < size; ++j) {
            const float x = static_cast<float>(j) + 0.5f;
            uint32_t colour = 0;
            if (within(y, 0.12f, 0.97f, s) && within(x, 0.13f, 0.87f, s)) colour = paused ? PAUSED_BOARD : BOARD;
            if (within(y, 0.24f, 0.88f, s) && within(x, 0.24f, 0.76f, s)) {
                colour = SHEET;
                if (paused) {
                    for (float left : PAUSE_BAR_LEFTS)
                        if (within(y, 0.38f, 0.73f, s) && within(x, left, left + 0.12f, s)) colour = CLIP;
                } else {
                    for (float top : LINE_TOPS)
                        if (within(y, top, top + 0.07f, s) && within(x, 0.32f, 0.68f, s)) colour = TEXT_LINE;
                }
            }
            if (within(y, 0.03f, 0.20f, s) && within(x, 0.34f, 0.66f, s)) colour = CLIP;
            pixels[std::size_t(i) * std::size_t(size) + std::size_t(j)] = colour;
        }
    }
    return pixels;
}

}  // namespace korvane
