#include "win/toolbar/word_mark.hpp"

#include <span>
#include <string_view>

#include "win/toolbar/draw.hpp"
#include "win/toolbar/palette.hpp"

namespace korvane {
namespace {

// "Korv" and an italic "ane" make the name, with nothing after the hair space, so the docked
// strip's second line holds the grey suffix alone.
constexpr std::wstring_view FIRST = L"Korv";
constexpr std::wstring_view ITALIC = L"ane";
constexpr std::wstring_view HAIR_SPACE = L"\u200A";
constexpr std::wstring_view LAST = L"";
constexpr std::wstring_view SUFFIX = L"clips";

}  // namespace

void paint_word_mark(HDC dc, const ToolbarState& toolbar, const ToolbarLayout& layout) {
    const TextRun runs[] = {
        {FIRST, toolbar.word_mark_font.get(), palette::WORD_MARK},
        {ITALIC, toolbar.word_mark_italic_font.get(), palette::WORD_MARK_MIDDLE},
        {HAIR_SPACE, toolbar.word_mark_font.get(), palette::WORD_MARK},
        {LAST, toolbar.word_mark_font.get(), palette::WORD_MARK},
        {SUFFIX, toolbar.word_mark_suffix_font.get(), palette::WORD_MARK_SUFFIX},
    };
    const std::span<const TextRun> all(runs);
    if (!toolbar.docked) {
        const Point at = word_mark_origin(layout, 0, 0);
        draw_runs(dc, all, at.x, at.y);
        return;
    }
    const std::span<const TextRun> lines[] = {all.first(3), all.last(2)};
    for (int line = 0; line < 2; ++line) {
        const Point at = word_mark_origin(layout, line, measure_runs(dc, lines[line]));
        draw_runs(dc, lines[line], at.x, at.y);
    }
}

}  // namespace korvane
