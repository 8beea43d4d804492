// The two toolbar windows that show the clips, the docked strip and the popup: their state,
// creation, window procedure and refresh.  Painting is in toolbar_paint, tooltips in
// toolbar_tooltips, mouse input in toolbar_input, commands in commands.
#pragma once

#include <windows.h>

#include <optional>

#include <string>
#include <utility>
#include <vector>

#include "core/filter.hpp"
#include "core/layout.hpp"
#include "win/support/handles.hpp"
#include "win/toolbar/canvas.hpp"

namespace korvane {

// What the keyboard is on: a tile by its clip, so the focus stays with the clip when others come
// and go; a button by its kind.
struct FocusTarget {
    HitKind kind = HitKind::None;
    ClipId clip = 0;
    bool operator==(const FocusTarget&) const = default;
};

// A screen reader's default action, kept here until the posted wake-up runs it.  A second one
// asked for before that replaces it: the reader's latest request is the one that counts.
struct PendingAction {
    HitKind kind = HitKind::None;
    ClipId clip = 0;  // for a tile
};

struct ToolbarState {
    std::optional<Area> drag_source;  // the area of the clip being dragged; none without a drag
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
    HWND focus_tip = nullptr;     // the keyboard's tooltip (focus_tip)
    POINT focus_tip_pointer{};    // where the pointer was when it was last shown
    // The tooltip tools as registered, by identifier: each one's rectangle and text.
    std::vector<std::pair<RECT, std::wstring>> tools;
    unsigned dpi = 96;  // what the toolbar is laid out and drawn at; its fonts are made for it
    OwnedFont title_font;
    OwnedFont badge_font;
    OwnedFont icon_font;
    OwnedFont word_mark_font;
    OwnedFont word_mark_italic_font;
    OwnedFont word_mark_suffix_font;
    bool icon_font_present = false;  // otherwise the button glyphs are drawn with lines
    int32_t scroll = 0;              // the docked strip's; the popup never scrolls
    bool docked = false;
    std::string filter;               // typed into the popup; empty shows every clip
    // What the filter keeps, between the paints, tooltips and screen-reader calls that ask for
    // it, which would otherwise search every clip's text each time.
    mutable RememberedClips shown_for_filter;
    std::optional<FocusTarget> focus;  // the keyboard's item
    bool focus_cues = false;          // the focus frame shows once the keyboard is used
    char16_t half_typed = 0;          // the first half of a typed surrogate pair
    // Characters still due from the last key the user pressed; any other WM_CHAR is dropped.
    uint8_t typed_units_due = 0;
    bool after_dead_key = false;  // the last character key was a dead key, which types nothing yet
    std::optional<PendingAction> pending_action;
    ToolbarCanvas canvas;  // what the window shows, drawn at `dpi`

    bool dragging() const { return drag_source.has_value(); }
};

// Creates the window (hidden) and its tooltip control, laid out at the DPI of its monitor.
ToolbarState create_toolbar_window(bool docked, const wchar_t* class_name, DWORD extended_style, WNDPROC procedure);

// Lays the toolbar out at `dpi` from now on: its six fonts and its tooltips' width are made again
// for it.  The window's size is its owner's to change.
void lay_out_toolbar_at(ToolbarState& toolbar, unsigned dpi);

// A toolbar's answer to WM_DPICHANGED: laid out and painted at the new DPI of its monitor.
// Where the window goes is its own procedure's to say.
void change_toolbar_dpi(HWND window, unsigned dpi);

// The shared window procedure; each toolbar's own procedure passes what it does not handle.
LRESULT CALLBACK toolbar_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The clips a toolbar shows and their layout, as they are now.
struct ToolbarShape {
    ShownClips shown;
    ToolbarLayout layout;
};
ToolbarShape shape_of(const ToolbarState& toolbar, const ClipStore& store);

// The clip of a tile target as the toolbar shows it, or null.
Clip* tile_clip(ClipStore& store, const ToolbarShape& shape, HitTarget target);

void refresh_toolbar(HWND window);
void refresh_all_toolbars();

// Resets hover, press and drag, before a toolbar is shown.
void reset_pointer_state(ToolbarState& toolbar);

}  // namespace korvane
