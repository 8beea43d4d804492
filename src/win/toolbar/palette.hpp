// The colours of the toolbars (the window, its section titles and empty states, the buttons,
// what a drag shows) and of their tiles (frames and badges).
#pragma once

#include <windows.h>

namespace korvane::palette {

constexpr COLORREF BACKGROUND = RGB(243, 243, 243);
constexpr COLORREF FRAME = RGB(200, 200, 200);
constexpr COLORREF TITLE = RGB(60, 60, 60);
constexpr COLORREF EMPTY_TEXT = RGB(107, 107, 107);  // 4.8:1 against the background
constexpr COLORREF DROP_BAR = RGB(0, 120, 212);
constexpr COLORREF SLOT_FILL = RGB(243, 243, 243);
constexpr COLORREF SLOT_BORDER = RGB(180, 180, 180);
constexpr COLORREF GHOST_FILL = RGB(229, 241, 251);
constexpr COLORREF GHOST_BORDER = RGB(0, 120, 212);
constexpr COLORREF BUTTON_ENABLED = RGB(30, 30, 30);
constexpr COLORREF BUTTON_DISABLED = RGB(160, 160, 160);
constexpr COLORREF SEPARATOR = RGB(215, 215, 215);
constexpr COLORREF SCROLL_THUMB = RGB(170, 170, 170);
// The keyboard's focus frame, and the popup's search line while a filter is typed.
constexpr COLORREF FOCUS_FRAME = RGB(0, 0, 0);
constexpr COLORREF SEARCH_FILL = RGB(255, 255, 255);
constexpr COLORREF SEARCH_BORDER = RGB(0, 120, 212);
constexpr COLORREF TILE_FILL = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF TILE_BORDER = RGB(0xD0, 0xD0, 0xD0);
constexpr COLORREF HOT_FILL = RGB(0xE5, 0xF1, 0xFB);
constexpr COLORREF HOT_BORDER = RGB(0x00, 0x78, 0xD4);
constexpr COLORREF KIND_BADGE_FILL = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF KIND_BADGE_BORDER = RGB(0xB4, 0xB4, 0xB4);
constexpr COLORREF COUNT_BADGE = RGB(0x00, 0x5F, 0xB8);
constexpr COLORREF BADGE_TEXT = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF MISSING_STROKE = RGB(0xC8, 0x1E, 0x1E);
constexpr COLORREF WORD_MARK = RGB(21, 67, 96);
constexpr COLORREF WORD_MARK_MIDDLE = RGB(0, 128, 128);
constexpr COLORREF WORD_MARK_SUFFIX = RGB(128, 128, 128);

}  // namespace korvane::palette
