// The toolbars' accessible objects (see accessible.hpp).  The file is long because one COM class
// implements every method of IUnknown, IDispatch and IAccessible; they are kept together since
// each is a few lines over the same snapshot of the toolbar and the same check of a child id.
#include "win/toolbar/accessible.hpp"

#include <oleacc.h>

#include <algorithm>
#include <new>
#include <optional>
#include <vector>

#include "core/focus_order.hpp"
#include "core/layout.hpp"
#include "core/spoken_tile.hpp"
#include "win/app/app.hpp"
#include "win/support/beep.hpp"
#include "win/support/rects.hpp"
#include "win/toolbar/commands.hpp"
#include "win/app/messages.hpp"
#include "win/toolbar/toolbar.hpp"
#include "win/toolbar/toolbar_focus.hpp"
#include "win/toolbar/toolbar_tooltips.hpp"
#include "win/support/wide.hpp"

namespace korvane {
namespace {

constexpr wchar_t PASTE_ACTION[] = L"Paste";
// While nothing matches what is typed, the list itself has the focus and says what the empty
// sections show.
constexpr wchar_t NOTHING_MATCHES[] = L"Nothing here matches";

std::wstring match_count(size_t shown) {
    return shown == 1 ? L"1 match" : std::to_wstring(shown) + L" matches";
}

const wchar_t* button_action(HitKind kind) {
    switch (kind) {
    case HitKind::NewTextButton: return L"Create a text pin";
    case HitKind::SettingsButton: return L"Open the settings";
    case HitKind::ClearButton: return L"Clear the recent clips";
    case HitKind::MinimizeButton: return L"Minimize";
    default: return L"";
    }
}

// The names of the two lists: both windows are titled "Korvane", and a listener must tell them
// apart.
constexpr wchar_t STRIP_NAME[] = L"Korvane docked toolbar";
constexpr wchar_t POPUP_NAME[] = L"Korvane popup";

// A button is named as it is labelled: "+ New text" shows its label in the popup, and its
// tooltip is then its description.
std::wstring button_name(HitKind kind) {
    if (kind == HitKind::NewTextButton) return L"New text";
    return button_tooltip_text(kind);
}

// What one call learns of the toolbar, read from the record at that moment.
struct View {
    ToolbarState& toolbar;
    ClipStore& store;
    ToolbarShape shape;
    std::vector<ToolbarItem> items;
    bool has_keyboard = false;
    bool visible = false;
    std::optional<HitTarget> selected;  // the keyboard's item, with or without the keyboard
    std::optional<HitTarget> focused;   // the same, while the window has the keyboard
};

std::optional<LONG> child_of(const View& view, HitTarget target) { return child_id_in(view.items, target); }

std::optional<SpokenTile> spoken(const View& view, const ToolbarItem& item) {
    const Clip* clip = tile_clip(view.store, view.shape, item.target);
    if (!clip) return std::nullopt;
    return spoken_tile(*clip);
}

// A button that has scrolled under the strip's header is listed but cannot be seen.
bool off_screen(const View& view, const ToolbarItem& item) {
    if (is_tile(item.target.kind))
        return !visible_tile_rect(view.shape.layout, area_of(item.target.kind), item.target.index);
    const std::vector<Button> shown = button_list(view.shape.layout);
    return std::none_of(shown.begin(), shown.end(), [&](const Button& b) { return b.kind == item.target.kind; });
}

LONG item_state(const View& view, const ToolbarItem& item) {
    LONG state = STATE_SYSTEM_FOCUSABLE;
    const bool tile = is_tile(item.target.kind);
    if (tile) state |= STATE_SYSTEM_SELECTABLE;
    if (tile && view.selected == item.target) state |= STATE_SYSTEM_SELECTED;
    if (view.focused == item.target) state |= STATE_SYSTEM_FOCUSED;
    if (item.target.kind == HitKind::NewTextButton && view.store.pins.size() >= PIN_CAPACITY)
        state |= STATE_SYSTEM_UNAVAILABLE;
    if (off_screen(view, item)) state |= STATE_SYSTEM_OFFSCREEN;
    if (!view.visible) state |= STATE_SYSTEM_INVISIBLE;
    return state;
}

// The Recent tiles 1 to 10 answer the digit keys while nothing is typed into the filter.
std::optional<std::wstring> item_shortcut(const View& view, const ToolbarItem& item) {
    if (item.target.kind != HitKind::RecentTile || !view.toolbar.filter.empty() || item.target.index >= 10)
        return std::nullopt;
    return std::wstring(1, item.target.index == 9 ? L'0' : wchar_t(L'1' + item.target.index));
}

std::optional<FocusMove> focus_move_of(LONG direction) {
    switch (direction) {
    case NAVDIR_LEFT: return FocusMove::Left;
    case NAVDIR_RIGHT: return FocusMove::Right;
    case NAVDIR_UP: return FocusMove::Up;
    case NAVDIR_DOWN: return FocusMove::Down;
    default: return std::nullopt;
    }
}

HRESULT give_text(std::wstring_view text, BSTR* out) {
    if (text.size() > 0x7FFFFFFF) return E_OUTOFMEMORY;
    *out = SysAllocStringLen(text.data(), UINT(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT give_number(LONG number, VARIANT* out) {
    out->vt = VT_I4;
    out->lVal = number;
    return S_OK;
}

// No C++ exception may leave a COM method.
template <class Body>
HRESULT without_exceptions(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// The client object of one toolbar window.  It holds nothing but the window: it answers from
// the record on the window's own thread, RPC_E_DISCONNECTED once the window is gone, and
// E_PENDING while a step of the program holds the record (a call that arrives while the program
// waits on another process), which it must not wait for.
class ToolbarAccessible final : public IAccessible {
public:
    explicit ToolbarAccessible(HWND window) : window_(window), thread_(GetWindowThreadProcessId(window, nullptr)) {}
    ToolbarAccessible(const ToolbarAccessible&) = delete;
    ToolbarAccessible& operator=(const ToolbarAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return ULONG(left);
    }

    // Readers use the interface's methods directly; there is no type information to invoke by.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!IsWindow(window_)) return RPC_E_DISCONNECTED;
        return CreateStdAccessibleObject(window_, OBJID_WINDOW, __uuidof(IDispatch), reinterpret_cast<void**>(parent));
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return read([&](const View& view) {
            *count = LONG(view.items.size());
            return S_OK;
        });
    }

    // The children are simple elements: the client object answers for them by child id.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return with_child(child, [](const View&, const ToolbarItem* item) { return item ? S_FALSE : E_INVALIDARG; });
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        return with_child(child, [&](const View& view, const ToolbarItem* item) {
            if (!item) {
                if (!view.toolbar.filter.empty() && view.shape.shown.recent.empty() && view.shape.shown.pins.empty())
                    return give_text(NOTHING_MATCHES, name);
                return give_text(view.toolbar.docked ? STRIP_NAME : POPUP_NAME, name);
            }
            if (!is_tile(item->target.kind)) return give_text(button_name(item->target.kind), name);
            const std::optional<SpokenTile> tile = spoken(view, *item);
            return give_text(tile ? to_wide(tile->name) : std::wstring(), name);
        });
    }

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!value) return E_POINTER;
        *value = nullptr;
        // The popup's value is the text typed to filter it; a tile's, the rest of what it holds.
        return with_child(child, [&](const View& view, const ToolbarItem* item) {
            if (item) {
                const std::optional<SpokenTile> tile = is_tile(item->target.kind) ? spoken(view, *item) : std::nullopt;
                if (!tile || tile->value.empty()) return DISP_E_MEMBERNOTFOUND;
                return give_text(to_wide(tile->value), value);
            }
            if (view.toolbar.docked) return DISP_E_MEMBERNOTFOUND;
            return give_text(to_wide(std::string_view(view.toolbar.filter)), value);
        });
    }

    // A tile tells its section, which its name does not; while a filter is typed, the popup tells
    // how many clips match it.
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (!description) return E_POINTER;
        *description = nullptr;
        return with_child(child, [&](const View& view, const ToolbarItem* item) {
            if (!item && !view.toolbar.filter.empty())
                return give_text(match_count(view.shape.shown.recent.size() + view.shape.shown.pins.size()), description);
            if (item && item->target.kind == HitKind::NewTextButton)
                return give_text(button_tooltip_text(item->target.kind), description);
            if (!item || !is_tile(item->target.kind)) return DISP_E_MEMBERNOTFOUND;
            return give_text(item->target.kind == HitKind::RecentTile ? L"Recent" : L"Pinned", description);
        });
    }

    // The window is a list: most of its items are tiles, which the arrows walk and whose focused
    // one is the selection, as in a list; its few buttons are items of it too.
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        role->vt = VT_EMPTY;
        return with_child(child, [&](const View&, const ToolbarItem* item) {
            if (!item) return give_number(ROLE_SYSTEM_LIST, role);
            return give_number(is_tile(item->target.kind) ? ROLE_SYSTEM_LISTITEM : ROLE_SYSTEM_PUSHBUTTON, role);
        });
    }

    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        state->vt = VT_EMPTY;
        return with_child(child, [&](const View& view, const ToolbarItem* item) {
            if (item) return give_number(item_state(view, *item), state);
            LONG own = STATE_SYSTEM_FOCUSABLE;
            if (view.has_keyboard && !view.focused) own |= STATE_SYSTEM_FOCUSED;
            if (!view.visible) own |= STATE_SYSTEM_INVISIBLE;
            return give_number(own, state);
        });
    }

    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        if (!help) return E_POINTER;
        *help = nullptr;
        return with_child(child, [](const View&, const ToolbarItem*) { return DISP_E_MEMBERNOTFOUND; });
    }

    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        if (!file || !topic) return E_POINTER;
        *file = nullptr;
        *topic = 0;
        return with_child(child, [](const View&, const ToolbarItem*) { return DISP_E_MEMBERNOTFOUND; });
    }

    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        if (!shortcut) return E_POINTER;
        *shortcut = nullptr;
        return with_child(child, [&](const View& view, const ToolbarItem* item) {
            const std::optional<std::wstring> keys = item ? item_shortcut(view, *item) : std::nullopt;
            return keys ? give_text(*keys, shortcut) : DISP_E_MEMBERNOTFOUND;
        });
    }

    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        focus->vt = VT_EMPTY;
        return read([&](const View& view) {
            if (!view.has_keyboard) return S_FALSE;
            return give_number(view.focused ? child_of(view, *view.focused).value_or(CHILDID_SELF) : CHILDID_SELF, focus);
        });
    }

    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        selection->vt = VT_EMPTY;
        return read([&](const View& view) {
            if (!view.selected || !is_tile(view.selected->kind)) return S_FALSE;
            return give_number(child_of(view, *view.selected).value_or(CHILDID_SELF), selection);
        });
    }

    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!action) return E_POINTER;
        *action = nullptr;
        return with_child(child, [&](const View&, const ToolbarItem* item) {
            if (!item) return DISP_E_MEMBERNOTFOUND;
            return give_text(is_tile(item->target.kind) ? PASTE_ACTION : button_action(item->target.kind), action);
        });
    }

    // One item at a time has the focus, and the focused tile is the selection: taking either
    // moves the keyboard's item, as the arrow keys do, and tells readers so once the record is
    // free.  A button can take the focus but not the selection; a hidden window, or a button
    // scrolled under the header, neither.
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        constexpr LONG TAKING = SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION;
        if ((flags & TAKING) == 0 || (flags & ~TAKING) != 0) return E_INVALIDARG;
        std::optional<LONG> moved;
        bool tile = false;
        const HRESULT result = with_child(child, [&](const View& view, const ToolbarItem* item) -> HRESULT {
            if (!item) return DISP_E_MEMBERNOTFOUND;
            tile = is_tile(item->target.kind);
            if ((flags & SELFLAG_TAKESELECTION) && !tile) return E_INVALIDARG;
            if (!view.visible || (!tile && off_screen(view, *item))) return E_FAIL;
            put_focus_on(view.toolbar, view.store, view.shape, item->target);
            moved = child_of(view, item->target);
            return S_OK;
        });
        if (FAILED(result) || !moved) return result;
        rebuild_tooltips(window_);
        announce_focus(window_, moved);
        if (tile) NotifyWinEvent(EVENT_OBJECT_SELECTION, window_, OBJID_CLIENT, *moved);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        return with_child(child, [&](const View&, const ToolbarItem* item) {
            RECT client{};
            GetClientRect(window_, &client);
            const RECT r = item ? to_rect(item->rect) : client;
            POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
            MapWindowPoints(window_, nullptr, corners, 2);
            *left = corners[0].x;
            *top = corners[0].y;
            *width = corners[1].x - corners[0].x;
            *height = corners[1].y - corners[0].y;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        end->vt = VT_EMPTY;
        bool from_window = false;
        const HRESULT result = with_child(start, [&](const View& view, const ToolbarItem* item) {
            const LONG count = LONG(view.items.size());
            if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
                if (item) return E_INVALIDARG;
                if (count == 0) return S_FALSE;
                return give_number(direction == NAVDIR_FIRSTCHILD ? 1 : count, end);
            }
            if (direction != NAVDIR_NEXT && direction != NAVDIR_PREVIOUS && !focus_move_of(direction))
                return E_INVALIDARG;
            if (!item) {  // the window's own neighbours are the system's to know
                from_window = true;
                return S_OK;
            }
            const LONG at = *child_of(view, item->target);
            if (direction == NAVDIR_NEXT) return at < count ? give_number(at + 1, end) : S_FALSE;
            if (direction == NAVDIR_PREVIOUS) return at > 1 ? give_number(at - 1, end) : S_FALSE;
            if (!is_tile(item->target.kind) && off_screen(view, *item)) return S_FALSE;  // nothing lies beside it
            const std::optional<HitTarget> moved = moved_focus(view.shape.layout, item->target, *focus_move_of(direction));
            if (!moved || *moved == item->target) return S_FALSE;
            return give_number(*child_of(view, *moved), end);
        });
        if (!from_window) return result;
        IAccessible* standard = nullptr;
        HRESULT navigated =
            CreateStdAccessibleObject(window_, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard));
        if (SUCCEEDED(navigated)) {
            navigated = standard->accNavigate(direction, start, end);
            standard->Release();
        }
        return navigated;
    }

    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        if (!child) return E_POINTER;
        child->vt = VT_EMPTY;
        return read([&](const View& view) {
            POINT at{x, y};
            RECT client{};
            GetClientRect(window_, &client);
            if (!view.visible || !ScreenToClient(window_, &at) || !PtInRect(&client, at)) return S_FALSE;
            const HitTarget target = hit_test(view.shape.layout, at.x, at.y);
            return give_number(child_of(view, target).value_or(CHILDID_SELF), child);
        });
    }

    // The command may open a dialog or a message box: it runs from a posted wake-up, after this
    // call has returned to the reader.  A hidden toolbar does nothing: what it would paste is not
    // what the user sees.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return with_child(child, [&](const View& view, const ToolbarItem* item) {
            if (!item) return DISP_E_MEMBERNOTFOUND;
            if (!view.visible) return E_FAIL;
            const Clip* clip = tile_clip(view.store, view.shape, item->target);
            view.toolbar.pending_action = PendingAction{item->target.kind, clip ? clip->id : 0};
            return PostMessageW(window_, WM_ACCESSIBLE_ACTION, 0, 0) ? S_OK : E_FAIL;
        });
    }

    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~ToolbarAccessible() = default;

    // Runs a step on the toolbar as the record has it now.  The step must not run anything that
    // dispatches messages: the record is held meanwhile.
    template <class Step>
    HRESULT read(Step&& step) const noexcept {
        return without_exceptions([&]() -> HRESULT {
            if (!IsWindow(window_)) return RPC_E_DISCONNECTED;
            if (GetCurrentThreadId() != thread_) return RPC_E_WRONG_THREAD;
            AppBorrow app = borrow_app();
            if (!app) return E_PENDING;
            ToolbarState* toolbar = toolbar_for(*app, window_);
            if (!toolbar) return RPC_E_DISCONNECTED;
            View view{.toolbar = *toolbar,
                      .store = app->store,
                      .shape = shape_of(*toolbar, app->store),
                      .items = {},
                      .has_keyboard = GetFocus() == window_,
                      .visible = IsWindowVisible(window_) != FALSE,
                      .focused = std::nullopt};
            view.items = accessible_items(view.shape.layout);
            view.selected = focused_target(*toolbar, app->store, view.shape);
            if (view.has_keyboard) view.focused = view.selected;
            return step(static_cast<const View&>(view));
        });
    }

    // A step for CHILDID_SELF (item null) or one of the items; other ids are refused.
    template <class Step>
    HRESULT with_child(const VARIANT& child, Step&& step) const noexcept {
        if (child.vt != VT_I4) return E_INVALIDARG;
        const LONG id = child.lVal;
        return read([&](const View& view) -> HRESULT {
            if (id == CHILDID_SELF) return step(view, nullptr);
            if (id < 1 || size_t(id) > view.items.size()) return E_INVALIDARG;
            return step(view, &view.items[size_t(id) - 1]);
        });
    }

    LONG references_ = 1;
    HWND window_;
    DWORD thread_;  // the record lives in that thread's slot; COM brings outside callers there
};

// Whether on_get_object entered this thread into a COM apartment (which leave_accessibility ends).
thread_local bool in_apartment = false;

}  // namespace

LRESULT on_get_object(HWND window, WPARAM flags, LPARAM object_id) {
    if (DWORD(object_id) != DWORD(OBJID_CLIENT)) return DefWindowProcW(window, WM_GETOBJECT, flags, object_id);
    if (!in_apartment) in_apartment = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    auto* object = new (std::nothrow) ToolbarAccessible(window);
    if (!object) return LRESULT(E_OUTOFMEMORY);
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), flags, object);
    object->Release();
    return result;
}

void leave_accessibility() {
    if (in_apartment) CoUninitialize();
    in_apartment = false;
}

LRESULT on_accessible_action(HWND window) {
    HitKind wanted = HitKind::None;
    ClipId clip_id = 0;
    std::optional<HitTarget> target;
    bool from_popup = false;
    if (AppBorrow app = borrow_app()) {
        ToolbarState* toolbar = toolbar_for(*app, window);
        if (!toolbar || !toolbar->pending_action) return 0;
        wanted = toolbar->pending_action->kind;
        clip_id = toolbar->pending_action->clip;
        toolbar->pending_action.reset();
        if (!IsWindowVisible(window)) return 0;  // hidden since the reader asked
        from_popup = !toolbar->docked;
        const ToolbarShape shape = shape_of(*toolbar, app->store);
        // A tile is found again by its clip, wherever it went meanwhile; a button by its kind.
        for (const ToolbarItem& item : accessible_items(shape.layout)) {
            const Clip* shown = tile_clip(app->store, shape, item.target);
            if (shown ? is_tile(wanted) && shown->id == clip_id : item.target.kind == wanted) {
                target = item.target;
                break;
            }
        }
    } else {
        return 0;
    }
    if (!target) {
        beep_refusal();
        return 0;
    }
    run_target_command(window, *target, clip_id, from_popup);
    return 0;
}

}  // namespace korvane
