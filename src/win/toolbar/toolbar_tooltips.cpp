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

using Tool = std::pair<RECT, std::wstring>;

std::vector<Tool> collect_tools(const ToolbarShape& shape, ClipStore& store) {
    std::vector<Tool> tools;
    for (const ToolbarItem& item : toolbar_items(shape.layout)) {
        if (!is_tile(item.target.kind)) {
            tools.emplace_back(to_rect(item.rect), button_tooltip_text(item.target.kind));
        } else if (const std::optional<Rect> visible =
                       visible_tile_rect(shape.layout, area_of(item.target.kind), item.target.index)) {
            tools.emplace_back(to_rect(*visible), to_wide(tile_tooltip_text(*tile_clip(store, shape, item.target))));
        }
    }
    return tools;
}

TOOLINFOW tool_info(HWND window, size_t id, Tool& tool) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = window;
    info.uId = id;
    info.rect = tool.first;
    info.lpszText = tool.second.data();
    return info;
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

// A refresh after a capture changes a few tools' texts and none of the rest: only the tools
// that differ are told, since each message to the control costs a round of its own.
void rebuild_tooltips(HWND window) {
    AppBorrow app = borrow_app();
    ToolbarState* toolbar = app ? toolbar_for(*app, window) : nullptr;
    if (!toolbar) return;
    std::vector<Tool> tools = collect_tools(shape_of(*toolbar, app->store), app->store);
    std::vector<Tool>& registered = toolbar->tools;
    for (size_t id = tools.size(); id < registered.size(); ++id) {
        TOOLINFOW info = tool_info(window, id, registered[id]);
        SendMessageW(toolbar->tooltip, TTM_DELTOOLW, 0, LPARAM(&info));
    }
    for (size_t id = 0; id < tools.size(); ++id) {
        TOOLINFOW info = tool_info(window, id, tools[id]);
        if (id >= registered.size()) {
            SendMessageW(toolbar->tooltip, TTM_ADDTOOLW, 0, LPARAM(&info));
            continue;
        }
        if (!EqualRect(&registered[id].first, &tools[id].first))
            SendMessageW(toolbar->tooltip, TTM_NEWTOOLRECTW, 0, LPARAM(&info));
        if (registered[id].second != tools[id].second)
            SendMessageW(toolbar->tooltip, TTM_UPDATETIPTEXTW, 0, LPARAM(&info));
    }
    registered = std::move(tools);
}

}  // namespace korvane
