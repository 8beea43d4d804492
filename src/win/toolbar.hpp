// The two toolbar windows that show the clips, the docked strip and the popup: their state,
// creation, painting and tooltips.  Input is in toolbar_input, commands in commands.
#pragma once

#include <windows.h>

#include "core/layout.hpp"
#include "win/handles.hpp"

namespace korvane {

constexpr int64_t NO_DRAG = 2;

struct ToolbarState {
    int64_t drag_source_kind = NO_DRAG;  // 0 a Recent clip, 1 a pin, 2 no drag
    uint64_t drag_source_index = 0;
    std::optional<DropTarget> drop;
    ClipId dragged_clip = 0;
    POINT cursor{};
    POINT grab_offset{};
    HitTarget hover;
    HitTarget press;
    ClipId pressed_clip = 0;  // the clip under a press on a tile
    POINT press_point{};
    HWND window = nullptr;
    HWND tooltip = nullptr;
    uint64_t tool_count = 0;
    OwnedFont title_font;
    OwnedFont badge_font;
    OwnedFont icon_font;
    OwnedFont word_mark_font;
    OwnedFont word_mark_italic_font;
    OwnedFont word_mark_suffix_font;
    bool icon_font_present = false;  // otherwise the button glyphs are drawn with lines
    int32_t scroll = 0;
    bool docked = false;
    POINT anchor{};
    DWORD hidden_at = 0;

    bool dragging() const { return drag_source_kind != NO_DRAG; }
};

// Creates the window (hidden), its tooltip control and its six fonts.
ToolbarState create_toolbar_window(bool docked, const wchar_t* class_name, DWORD extended_style, WNDPROC procedure);

// The shared window procedure; each toolbar's own procedure passes what it does not handle.
LRESULT CALLBACK toolbar_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The layout of a toolbar as it is now, with the store's counts.
ToolbarLayout layout_of(const ToolbarState& toolbar, size_t recent_count, size_t pinned_count);

void refresh_toolbar(HWND window);
void refresh_all_toolbars();
void rebuild_tooltips(HWND window);

// Resets hover, press and drag, before a toolbar is shown.
void reset_pointer_state(ToolbarState& toolbar);

struct ClipStore;
// Paints the whole client area of a toolbar into the DC.
void paint_toolbar(HDC dc, ToolbarState& toolbar, ClipStore& store, int width, int height);

}  // namespace korvane
