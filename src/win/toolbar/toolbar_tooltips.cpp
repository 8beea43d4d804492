#include "win/toolbar/toolbar_tooltips.hpp"

#include <commctrl.h>

#include <string>
#include <vector>

#include "core/tooltip_text.hpp"
#include "win/app/app.hpp"
#include "win/support/rects.hpp"
#include "win/support/wide.hpp"

namespace korvane {
namespace {

struct Tool {
    RECT rect;
    std::wstring text;
};


std::vector<Tool> collect_tools(const ToolbarShape& shape, ClipStore& store) {
    std::vector<Tool> tools;
    for (const ToolbarItem& item : toolbar_items(shape.layout)) {
        if (!is_tile(item.target.kind)) {
            tools.push_back({to_rect(item.rect), button_tooltip_text(item.target.kind)});
        } else if (const std::optional<Rect> visible =
                       visible_tile_rect(shape.layout, area_of(item.target.kind), item.target.index)) {
            tools.push_back({to_rect(*visible), to_wide(tile_tooltip_text(*tile_clip(store, shape, item.target)))});
        }
    }
    return tools;
}

}  // namespace

const wchar_t* button_tooltip_text(HitKind kind) {
    switch (kind) {
    case HitKind::NewTextButton: return L"Create a pinned icon with your own text";
    case HitKind::SettingsButton: return L"Settings";
    case HitKind::ClearButton: return L"Clear the recent clips and empty the clipboard";
    case HitKind::MinimizeButton: return L"Minimize to the notification area";
    default: return L"";
    }
}

void rebuild_tooltips(HWND window) {
    AppBorrow app = borrow_app();
    ToolbarState* toolbar = app ? toolbar_for(*app, window) : nullptr;
    if (!toolbar) return;
    for (uint64_t id = 0; id < toolbar->tool_count; ++id) {
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = window;
        info.uId = id;
        SendMessageW(toolbar->tooltip, TTM_DELTOOLW, 0, LPARAM(&info));
    }
    std::vector<Tool> tools = collect_tools(shape_of(*toolbar, app->store), app->store);
    for (size_t id = 0; id < tools.size(); ++id) {
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_SUBCLASS;
        info.hwnd = window;
        info.uId = id;
        info.rect = tools[id].rect;
        info.lpszText = tools[id].text.data();
        SendMessageW(toolbar->tooltip, TTM_ADDTOOLW, 0, LPARAM(&info));
    }
    toolbar->tool_count = tools.size();
}

}  // namespace korvane
