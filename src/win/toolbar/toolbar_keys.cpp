#include "win/toolbar/toolbar_keys.hpp"

#include <optional>
#include <string>

#include "core/focus_order.hpp"
#include "core/text.hpp"
#include "win/app/app.hpp"
#include "win/support/beep.hpp"
#include "win/support/input_source.hpp"
#include "win/support/rects.hpp"
#include "win/toolbar/commands.hpp"
#include "win/clipboard/paste.hpp"
#include "win/shell/popup.hpp"
#include "win/toolbar/tile_menu.hpp"
#include "win/toolbar/toolbar_focus.hpp"
#include "win/toolbar/toolbar_paint.hpp"
#include "win/toolbar/toolbar_tooltips.hpp"

namespace korvane {
namespace {

struct Focused {
    HitTarget target;
    ClipId clip = 0;
    bool from_popup = false;
};

std::optional<Focused> focused_item(HWND window) {
    AppBorrow app = borrow_app();
    ToolbarState* toolbar = app ? toolbar_for(*app, window) : nullptr;
    if (!toolbar) return std::nullopt;
    const ToolbarShape shape = shape_of(*toolbar, app->store);
    const std::optional<HitTarget> target = focused_target(*toolbar, app->store, shape);
    if (!target) return std::nullopt;
    const Clip* clip = tile_clip(app->store, shape, *target);
    return Focused{*target, clip ? clip->id : 0, !toolbar->docked};
}

LRESULT move_focus(HWND window, FocusMove move) {
    std::optional<LONG> announced;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return 0;
        const ToolbarShape shape = shape_of(*toolbar, app->store);
        const std::optional<HitTarget> from = focused_target(*toolbar, app->store, shape);
        const std::optional<HitTarget> to = moved_focus(shape.layout, from, move);
        announced = put_focus_on(*toolbar, app->store, shape, to);
        if (from && to == from) announced.reset();  // it stayed: nothing new to say
    }
    rebuild_tooltips(window);
    announce_focus(window, announced);
    return 0;
}

LRESULT run_focused(HWND window, PasteAs as = PasteAs::Copied) {
    if (const std::optional<Focused> item = focused_item(window))
        run_target_command(window, item->target, item->clip, item->from_popup, as);
    return 0;
}

LRESULT open_focused_menu(HWND window) {
    const std::optional<Focused> item = focused_item(window);
    if (!item || !is_tile(item->target.kind)) return 0;
    RECT tile{};
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return 0;
        const Rect r = tile_rect(shape_of(*toolbar, app->store).layout, area_of(item->target.kind), item->target.index);
        tile = to_rect(r);
    }
    POINT at{tile.left, tile.bottom};
    ClientToScreen(window, &at);
    open_tile_menu(window, item->target, at);
    // Pin and Unpin move the clip to the other section, and the focus with it.
    std::optional<LONG> announced;
    if (AppBorrow app = borrow_app())
        if (ToolbarState* toolbar = toolbar_for(*app, window)) {
            const ToolbarShape shape = shape_of(*toolbar, app->store);
            const std::optional<HitTarget> now = focused_target(*toolbar, app->store, shape);
            if (now && *now != item->target) announced = put_focus_on(*toolbar, app->store, shape, now);
        }
    announce_focus(window, announced);
    return 0;
}

// After a delete the focus goes to the tile that took the deleted one's place, or the one
// before it, or the first item left.
LRESULT delete_focused(HWND window) {
    const std::optional<Focused> item = focused_item(window);
    if (!item || !is_tile(item->target.kind)) return 0;
    delete_from_keyboard(item->clip, item->from_popup);
    std::optional<LONG> announced;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar || focused_target(*toolbar, app->store, shape_of(*toolbar, app->store))) return 0;
        const ToolbarShape shape = shape_of(*toolbar, app->store);
        const uint64_t left = area_of(item->target.kind) == Area::Recent ? shape.layout.recent_count : shape.layout.pinned_count;
        std::optional<HitTarget> next;
        if (left > 0) next = HitTarget{item->target.kind, std::min<uint64_t>(item->target.index, left - 1)};
        else if (const std::vector<ToolbarItem> items = toolbar_items(shape.layout); !items.empty()) next = items.front().target;
        announced = put_focus_on(*toolbar, app->store, shape, next);
    }
    announce_focus(window, announced);
    return 0;
}

// Ctrl and an arrow: the focused pin goes one place towards the front (left, up) or the end
// (right, down), saved as a drag saves it, and the focus goes with it.  On anything but a pin the
// arrow moves the focus as it does without Ctrl.  While a filter hides clips, the places shown
// are not the pins' own, so nothing moves.
LRESULT move_focused_pin(HWND window, FocusMove move) {
    const std::optional<Focused> item = focused_item(window);
    if (!item || item->target.kind != HitKind::PinnedTile) return move_focus(window, move);
    const bool later = move == FocusMove::Right || move == FocusMove::Down;
    bool movable = false;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return 0;
        const std::optional<ClipLocation> at = find_clip(app->store, item->clip);
        movable = toolbar->filter.empty() && at && at->area == Area::Pinned &&
                  (later ? at->index + 1 < app->store.pins.size() : at->index > 0);
    } else {
        return 0;
    }
    if (!movable) {
        beep_refusal();
        return 0;
    }
    run_tile_command(later ? TileCommand::MoveDown : TileCommand::MoveUp, item->clip, item->from_popup);
    std::optional<LONG> announced;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return 0;
        const ToolbarShape shape = shape_of(*toolbar, app->store);
        announced = put_focus_on(*toolbar, app->store, shape, focused_target(*toolbar, app->store, shape));
    }
    rebuild_tooltips(window);
    announce_focus(window, announced);
    return 0;
}

// 1 to 9 and 0: the Recent clips 1 to 10, as the store holds them.
LRESULT paste_numbered(HWND window, wchar_t digit) {
    const size_t index = digit == L'0' ? 9 : size_t(digit - L'1');
    ClipId clip = 0;
    bool from_popup = false;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return 0;
        from_popup = !toolbar->docked;
        if (index < app->store.recent.size()) clip = app->store.recent[index].id;
    } else {
        return 0;
    }
    if (clip == 0) {
        beep_refusal();
        return 0;
    }
    paste_clip(clip, from_popup);
    return 0;
}

// The filter changed: the focus goes to the first tile still shown, or to the list itself when
// nothing matches, and the popup takes the size of what it shows.
void filter_changed(HWND window, ToolbarState& toolbar, ClipStore& store, std::optional<LONG>& announced) {
    const ToolbarShape shape = shape_of(toolbar, store);
    const std::vector<ToolbarItem> items = toolbar_items(shape.layout);
    const bool any_tile = !items.empty() && is_tile(items.front().target.kind);
    announced = put_focus_on(toolbar, store, shape, any_tile ? std::optional<HitTarget>(items.front().target) : std::nullopt);
    if (!any_tile) announced = CHILDID_SELF;
    PostMessageW(window, WM_NULL, 0, 0);
}

// Once the record is free: readers hear the filter's new text (the list's value), then the focus.
void announce_filter(HWND window, std::optional<LONG> focus) {
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
    announce_focus(window, focus);
}

// Removes the last character (not the last byte) of the filter.
void drop_last_character(std::string& text) {
    size_t cut = text.size();
    while (cut > 0) {
        --cut;
        if ((static_cast<unsigned char>(text[cut]) & 0xC0) != 0x80) break;
    }
    text.resize(cut);
}

// Backspace in the popup edits the filter; the result says whether there was one.
bool edit_filter(HWND window, bool clear) {
    std::optional<LONG> announced;
    bool edited = false;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar || toolbar->docked || toolbar->filter.empty()) return false;
        if (clear) toolbar->filter.clear();
        else drop_last_character(toolbar->filter);
        filter_changed(window, *toolbar, app->store, announced);
        edited = true;
    }
    if (!edited) return false;
    refresh_all_toolbars();
    announce_filter(window, announced);
    return true;
}

LRESULT on_escape(HWND window) {
    if (edit_filter(window, true)) return 0;
    bool docked = false;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return 0;
        docked = toolbar->docked;
    }
    // The popup closes; either toolbar gives the keyboard back to the window it came from.
    if (!docked) hide_popup_by_escape();
    return_to_paste_target();
    return 0;
}

LRESULT type_into_filter(HWND window, wchar_t unit) {
    std::optional<LONG> announced;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar || toolbar->docked) return 0;
        std::u16string typed;
        if (unit >= 0xD800 && unit <= 0xDBFF) {  // the first half of a character beyond the BMP
            toolbar->half_typed = char16_t(unit);
            return 0;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF && toolbar->half_typed) typed += toolbar->half_typed;
        toolbar->half_typed = 0;
        typed += char16_t(unit);
        toolbar->filter += utf16_to_utf8(typed);
        filter_changed(window, *toolbar, app->store, announced);
    } else {
        return 0;
    }
    refresh_all_toolbars();
    announce_filter(window, announced);
    return 0;
}

bool filter_is_empty(HWND window) {
    if (AppBorrow app = borrow_app())
        if (ToolbarState* toolbar = toolbar_for(*app, window)) return toolbar->filter.empty();
    return true;
}

// How many characters a key the user pressed types, by the keyboard layout.
uint8_t units_typed_by(ToolbarState& toolbar, WPARAM key) {
    if (key == VK_PACKET || (key >= VK_NUMPAD0 && key <= VK_DIVIDE)) return 1;  // injected text, the number pad
    const UINT character = MapVirtualKeyW(UINT(key), MAPVK_VK_TO_CHAR);
    if (character == 0) return 0;
    const bool dead = (character & 0x80000000u) != 0;
    const bool after_dead = toolbar.after_dead_key;
    toolbar.after_dead_key = dead && !after_dead;
    if (dead && !after_dead) return 0;
    return after_dead ? 2 : 1;
}

}  // namespace

LRESULT on_key_message(HWND window, UINT message, WPARAM key) {
    const bool from_user = input_from_user(message, key);
    if (AppBorrow app = borrow_app())
        if (ToolbarState* toolbar = toolbar_for(*app, window)) toolbar->typed_units_due = from_user ? units_typed_by(*toolbar, key) : 0;
    return from_user ? on_key_down(window, key) : 0;
}

LRESULT on_char_message(HWND window, WPARAM unit) {
    bool due = false;
    if (AppBorrow app = borrow_app())
        if (ToolbarState* toolbar = toolbar_for(*app, window); toolbar && toolbar->typed_units_due > 0) {
            --toolbar->typed_units_due;
            if (unit >= 0xD800 && unit <= 0xDBFF) ++toolbar->typed_units_due;  // its second half follows
            due = true;
        }
    return due ? on_char(window, unit) : 0;
}

LRESULT on_key_down(HWND window, WPARAM key) {
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const auto arrow = GetKeyState(VK_CONTROL) < 0 ? move_focused_pin : move_focus;
    switch (key) {
    case VK_LEFT: return arrow(window, FocusMove::Left);
    case VK_RIGHT: return arrow(window, FocusMove::Right);
    case VK_UP: return arrow(window, FocusMove::Up);
    case VK_DOWN: return arrow(window, FocusMove::Down);
    case VK_TAB: return move_focus(window, shift ? FocusMove::PreviousGroup : FocusMove::NextGroup);
    case VK_HOME: return move_focus(window, FocusMove::First);
    case VK_END: return move_focus(window, FocusMove::Last);
    case VK_PRIOR: return move_focus(window, FocusMove::PageUp);
    case VK_NEXT: return move_focus(window, FocusMove::PageDown);
    case VK_RETURN: return run_focused(window, shift ? PasteAs::PlainText : PasteAs::Copied);
    case VK_DELETE: return delete_focused(window);
    case VK_APPS: return open_focused_menu(window);
    case VK_F10: return shift ? open_focused_menu(window) : 0;
    case VK_ESCAPE: return on_escape(window);
    case VK_BACK: edit_filter(window, false); return 0;
    }
    return 0;
}

// Alt+F4 closes the popup as Escape does, whatever is typed into its filter; the strip stays,
// since the notification icon's menu is where Korvane is ended.
LRESULT on_close(HWND window) {
    bool docked = true;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar) return 0;
        docked = toolbar->docked;
    }
    if (docked) return 0;
    hide_popup_by_escape();
    return_to_paste_target();
    return 0;
}

LRESULT on_char(HWND window, WPARAM unit) {
    const auto c = wchar_t(unit);
    if (c < L' ' || c == 0x7F) return 0;  // Enter, Escape, Backspace and Tab are keys, not text
    const bool typing = !filter_is_empty(window);
    if (!typing && c >= L'0' && c <= L'9') return paste_numbered(window, c);
    if (!typing && c == L' ') return run_focused(window);
    return type_into_filter(window, c);
}

}  // namespace korvane
