#include "win/toolbar/toolbar_paint.hpp"

#include <algorithm>
#include <string>

#include "win/app/app.hpp"
#include "win/support/rects.hpp"
#include "win/toolbar/draw.hpp"
#include "win/toolbar/glyphs.hpp"
#include "win/toolbar/toolbar_focus.hpp"
#include "win/toolbar/palette.hpp"
#include "win/toolbar/word_mark.hpp"

namespace korvane {
namespace {


// A partial redraw clips the picture to what changed; a tile or button wholly outside it is not
// drawn at all.
bool needs_drawing(HDC dc, const RECT& item, unsigned dpi) {
    const RECT inked = frame_bounds(item, dpi);
    return RectVisible(dc, &inked) != FALSE;
}

RECT ghost_rect(const ToolbarState& toolbar, const ToolbarLayout& layout) {
    const int left = toolbar.cursor.x - toolbar.grab_offset.x;
    const int top = toolbar.cursor.y - toolbar.grab_offset.y;
    return RECT{left, top, left + layout.tile, top + layout.tile};
}

void fill(HDC dc, const RECT& rect, COLORREF colour) {
    OwnedBrush brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.get());
}

// A frame of the given thickness just inside the rectangle.
void draw_frame(HDC dc, const RECT& rect, COLORREF colour, int thickness) {
    OwnedBrush brush(CreateSolidBrush(colour));
    for (int i = 0; i < thickness; ++i) {
        const RECT ring{rect.left + i, rect.top + i, rect.right - i, rect.bottom - i};
        FrameRect(dc, &ring, brush.get());
    }
}

bool is_hot(const ToolbarState& toolbar, HitKind kind, uint64_t index) {
    return toolbar.hover.kind == kind && toolbar.hover.index == index;
}

std::string pinned_title(const ToolbarState& toolbar, uint64_t count) {
    const std::string n = std::to_string(count);
    const std::string limit = std::to_string(PIN_CAPACITY);
    return toolbar.docked ? "Pinned " + n + "/" + limit : "Pinned  " + n + " / " + limit;
}

// While a filter is typed, an empty section says that nothing in it matches.
constexpr char NOTHING_MATCHES[] = "Nothing here matches";

// What an empty section says, with the keys that fill it, shorter on the narrow strip.
const char* empty_text(Area section, bool docked, bool searching) {
    if (searching) return NOTHING_MATCHES;
    if (section == Area::Recent) return docked ? "Copy with Ctrl+C" : "Copy something with Ctrl+C and it will appear here";
    return docked ? "Drag here, or Shift+F10 and Pin" : "Drag a clip here, or Shift+F10 on it and choose Pin";
}

// The texts are cut at their rectangles, so one outside the part being drawn is left out.
void paint_titles_and_empty_states(HDC dc, const ToolbarState& toolbar, const ToolbarLayout& layout) {
    HFONT title_font = toolbar.docked ? toolbar.badge_font.get() : toolbar.title_font.get();
    const UINT title_format = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    const UINT empty_format = toolbar.docked ? DT_WORDBREAK | DT_CENTER : DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
    for (const Area section : {Area::Recent, Area::Pinned}) {
        if (const RECT title = to_rect(title_rect(layout, section)); RectVisible(dc, &title))
            draw_text_in_rect(dc, section == Area::Recent ? std::string("Recent") : pinned_title(toolbar, layout.pinned_count),
                              title, title_font, palette::TITLE, title_format);
        const RECT empty = to_rect(empty_rect(layout, section));
        if ((section == Area::Recent ? layout.recent_count : layout.pinned_count) == 0 && RectVisible(dc, &empty))
            draw_text_in_rect(dc, empty_text(section, toolbar.docked, layout.searching), empty,
                              toolbar.badge_font.get(), palette::EMPTY_TEXT, empty_format);
    }
}

// The word mark lies above the sections: in the docked header, above the popup's Recent title.
bool word_mark_needs_drawing(HDC dc, const ToolbarLayout& layout, int width) {
    const RECT band{0, 0, width, std::max(content_top(layout), section_top(layout, Area::Recent))};
    return RectVisible(dc, &band) != FALSE;
}

// The typed filter, in a field-like box above the sections.
void paint_search_line(HDC dc, const ToolbarState& toolbar, const ToolbarLayout& layout) {
    if (!layout.searching) return;
    const RECT line = to_rect(search_line_rect(layout));
    draw_rounded_rect(dc, line, palette::SEARCH_FILL, palette::SEARCH_BORDER, layout.dpi);
    RECT text = line;
    text.left += layout.margin;
    text.right -= layout.margin;
    draw_text_in_rect(dc, toolbar.filter, text, toolbar.title_font.get(), palette::TITLE,
                      DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS);
}

// Whether the system asks for keyboard cues at all times (SPI_GETKEYBOARDCUES), not only once
// the keyboard is used.
bool keyboard_cues_always() {
    BOOL always = FALSE;
    return SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &always, 0) && always;
}

int32_t system_focus_border() {
    UINT width = 1;
    return SystemParametersInfoW(SPI_GETFOCUSBORDERWIDTH, 0, &width, 0) ? int32_t(std::min(width, 64u)) : 1;
}

// The keyboard's item, framed while the window has the keyboard, once the keyboard has been
// used (or always, when the system asks for keyboard cues): outside the tile or button, in the
// gap around it.
void paint_focus_frame(HDC dc, const ToolbarState& toolbar, const ToolbarShape& shape, const ClipStore& store) {
    if (GetFocus() != toolbar.window || !(toolbar.focus_cues || keyboard_cues_always())) return;
    const std::optional<HitTarget> focused = focused_target(toolbar, store, shape);
    if (!focused) return;
    for (const ToolbarItem& item : toolbar_items(shape.layout)) {
        if (item.target != *focused) continue;
        const Rect frame = focus_frame_rect(shape.layout, item.rect);
        draw_frame(dc, to_rect(frame), palette::FOCUS_FRAME, focus_frame_width(shape.layout, system_focus_border()));
    }
}

void paint_tiles(HDC dc, HDC source, const ToolbarState& toolbar, ClipStore& store, const ToolbarShape& shape,
                 int height) {
    const ToolbarLayout& layout = shape.layout;
    for (const ToolbarItem& item : toolbar_items(layout)) {
        if (!is_tile(item.target.kind)) continue;
        const Area area = area_of(item.target.kind);
        const uint64_t i = item.target.index;
        const RECT r = to_rect(item.rect);
        if (r.bottom < content_top(layout) || r.top > height || !needs_drawing(dc, r, layout.dpi)) continue;
        if (toolbar.dragging() && toolbar.drag_source == area && toolbar.drag_source_index == i) {
            draw_rounded_rect(dc, r, palette::SLOT_FILL, palette::SLOT_BORDER, layout.dpi);
            continue;
        }
        draw_tile_frame(dc, r, is_hot(toolbar, item.target.kind, i), layout.dpi);
        draw_tile(dc, source, *tile_clip(store, shape, item.target), r, toolbar.badge_font.get(), layout.dpi);
    }
}

void paint_drop_bar(HDC dc, const ToolbarState& toolbar, const ToolbarLayout& layout) {
    if (!toolbar.dragging() || !toolbar.drop) return;
    // A Recent clip cannot go to a full Pinned section; a pin dragged within it can.
    if (toolbar.drag_source == Area::Recent && toolbar.drop->section == Area::Pinned &&
        layout.pinned_count >= PIN_CAPACITY)
        return;
    fill(dc, to_rect(drop_bar_rect(layout, *toolbar.drop)), palette::DROP_BAR);
}

void paint_button(HDC dc, const ToolbarState& toolbar, const ToolbarLayout& layout, const Button& button,
                  bool enabled) {
    const RECT r = to_rect(button.rect);
    if (!needs_drawing(dc, r, layout.dpi)) return;
    draw_tile_frame(dc, r, enabled && toolbar.hover.kind == button.kind, layout.dpi);
    const COLORREF colour = enabled ? palette::BUTTON_ENABLED : palette::BUTTON_DISABLED;
    HFONT icon_font = toolbar.icon_font_present ? toolbar.icon_font.get() : nullptr;
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    if (toolbar.docked || button.kind == HitKind::SettingsButton) {
        draw_button_glyph(dc, button.kind, r, icon_font, colour, layout.dpi);
    } else if (button.kind == HitKind::NewTextButton) {
        draw_text_in_rect(dc, "+ New text", r, toolbar.badge_font.get(), colour, format);
    } else if (button.kind == HitKind::ClearButton) {
        draw_button_glyph(dc, button.kind, to_rect(clear_glyph_rect(layout, button.rect)), icon_font, colour,
                          layout.dpi);
        draw_text_in_rect(dc, "Clear", to_rect(clear_label_rect(layout, button.rect)), toolbar.badge_font.get(),
                          colour, format);
    }
}

void paint_docked_extras(HDC dc, const ToolbarLayout& layout) {
    fill(dc, to_rect(header_separator_rect(layout)), palette::SEPARATOR);
    if (const std::optional<Rect> thumb = scroll_thumb_rect(layout))
        draw_rounded_rect(dc, to_rect(*thumb), palette::SCROLL_THUMB, palette::SCROLL_THUMB, layout.dpi);
}

void paint_ghost(HDC dc, HDC source, const ToolbarState& toolbar, ClipStore& store, const ToolbarLayout& layout) {
    if (!toolbar.dragging()) return;
    const std::optional<ClipLocation> at = find_clip(store, toolbar.dragged_clip);
    if (!at) return;
    const RECT r = ghost_rect(toolbar, layout);
    draw_rounded_rect(dc, r, palette::GHOST_FILL, palette::GHOST_BORDER, layout.dpi);
    draw_tile(dc, source, *clip_at(store, *at), r, toolbar.badge_font.get(), layout.dpi);
}

}  // namespace

void paint_toolbar(HDC dc, ToolbarState& toolbar, ClipStore& store, int width, int height) {
    SetBkMode(dc, TRANSPARENT);
    const RECT client{0, 0, width, height};
    fill(dc, client, palette::BACKGROUND);
    {
        OwnedBrush frame(CreateSolidBrush(palette::FRAME));
        FrameRect(dc, &client, frame.get());
    }
    const ToolbarShape shape = shape_of(toolbar, store);
    const ToolbarLayout& layout = shape.layout;
    // Scrolled content never paints over the docked header.
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, 0, content_top(layout), width, height);
    paint_titles_and_empty_states(dc, toolbar, layout);
    const OwnedDc source(CreateCompatibleDC(dc));
    paint_tiles(dc, source.get(), toolbar, store, shape, height);
    paint_drop_bar(dc, toolbar, layout);
    RestoreDC(dc, saved);
    paint_search_line(dc, toolbar, layout);
    for (const Button& button : button_list(layout))
        paint_button(dc, toolbar, layout, button,
                     !(button.kind == HitKind::NewTextButton && store.pins.size() >= PIN_CAPACITY));
    if (word_mark_needs_drawing(dc, layout, width)) paint_word_mark(dc, toolbar, layout);
    if (toolbar.docked) paint_docked_extras(dc, layout);
    paint_focus_frame(dc, toolbar, shape, store);
    paint_ghost(dc, source.get(), toolbar, store, layout);
}

LRESULT on_paint(HWND window) {
    AppBorrow app = borrow_app();
    ToolbarState* toolbar = app ? toolbar_for(*app, window) : nullptr;
    if (!toolbar) {
        ValidateRect(window, nullptr);
        return 0;
    }
    paint_from_canvas(toolbar->canvas, window, toolbar->dpi, [&](HDC dc, int width, int height) {
        paint_toolbar(dc, *toolbar, app->store, width, height);
    });
    return 0;
}

void redraw_toolbar(ToolbarState& toolbar) { redraw_all(toolbar.canvas, toolbar.window); }

void redraw_target(ToolbarState& toolbar, const ToolbarLayout& layout, HitTarget target) {
    if (target.kind == HitKind::None) return;
    for (const ToolbarItem& item : toolbar_items(layout))
        if (item.target == target) redraw_rect(toolbar.canvas, toolbar.window, frame_bounds(to_rect(item.rect), layout.dpi));
}

void redraw_drag(ToolbarState& toolbar, const ToolbarLayout& layout) {
    if (!toolbar.dragging()) return;
    const unsigned dpi = layout.dpi;
    redraw_rect(toolbar.canvas, toolbar.window,
                frame_bounds(to_rect(tile_rect(layout, *toolbar.drag_source, toolbar.drag_source_index)), dpi));
    redraw_rect(toolbar.canvas, toolbar.window, frame_bounds(ghost_rect(toolbar, layout), dpi));
    if (toolbar.drop) redraw_rect(toolbar.canvas, toolbar.window, to_rect(drop_bar_rect(layout, *toolbar.drop)));
}

}  // namespace korvane
