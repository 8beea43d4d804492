// Where the journeys point and look: Korvane's own layout functions for a shown toolbar window
// with the given numbers of Recent clips and pins, in screen coordinates, as shell assignments.
// usage: journey_layout.exe strip RECENT PINNED     the docked strip, scrolled to the top
//        journey_layout.exe popup RECENT PINNED     the popup
// Per section, index i of an array is tile i; the arrays run one past the last tile, to where
// the next tile would go.  A drop point is a y in the tile column whose drop target is that
// index.  Exit code 0 when the window is shown, 1 when it is not, 2 on bad arguments.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "core/layout.hpp"

namespace {

using korvane::Area;

struct ShownWindow {
    POINT origin;  // of the client area, on the screen
    RECT client;
};

std::optional<ShownWindow> shown_window(const wchar_t* class_name) {
    HWND window = FindWindowW(class_name, nullptr);
    if (!window || !IsWindowVisible(window)) return std::nullopt;
    ShownWindow shown{};
    GetClientRect(window, &shown.client);
    ClientToScreen(window, &shown.origin);
    return shown;
}

std::string shell_array(const std::vector<int64_t>& values) {
    std::string text = "(";
    for (size_t i = 0; i < values.size(); ++i) text += (i ? " " : "") + std::to_string(values[i]);
    return text + ")";
}

void print_array(const char* name, const std::vector<int64_t>& values) {
    std::printf("%s=%s\n", name, shell_array(values).c_str());
}

const char* section_name(Area section) { return section == Area::Recent ? "recent" : "pinned"; }

uint64_t count_of(const korvane::ToolbarLayout& layout, Area section) {
    return section == Area::Recent ? layout.recent_count : layout.pinned_count;
}

// The middle of the run of y, at most a tile step long, whose drop target is the index; -1 when
// no y of the client area drops there.
int64_t drop_point(const korvane::ToolbarLayout& layout, int32_t x, Area section, uint64_t index) {
    const korvane::DropTarget wanted{section, index};
    int32_t first = -1;
    int32_t length = 0;
    for (int32_t y = 0; y < layout.client_height; ++y) {
        const bool hit = korvane::drop_target_at(layout, x, y) == wanted;
        if (hit && first < 0) first = y;
        if (hit) ++length;
        if (!hit && first >= 0) break;
    }
    if (first < 0) return -1;
    return first + std::min(length, korvane::tile_step(layout)) / 2;
}

void print_strip(const korvane::ToolbarLayout& layout, POINT origin) {
    const korvane::Rect first = korvane::tile_rect(layout, Area::Recent, 0);
    const int32_t column = (first.left + first.right) / 2;
    std::printf("strip_left=%ld strip_top=%ld strip_width=%d strip_height=%d\n", origin.x, origin.y,
                korvane::content_width(layout), layout.client_height);
    std::printf("tile_size=%d tile_left=%ld tile_x=%ld\n", layout.tile, origin.x + first.left, origin.x + column);
    for (const Area section : {Area::Recent, Area::Pinned}) {
        std::vector<int64_t> tops, middles, drops;
        for (uint64_t i = 0; i <= count_of(layout, section); ++i) {
            const korvane::Rect tile = korvane::tile_rect(layout, section, i);
            tops.push_back(origin.y + tile.top);
            middles.push_back(origin.y + (tile.top + tile.bottom) / 2);
            const int64_t drop = drop_point(layout, column, section, i);
            drops.push_back(drop < 0 ? -1 : origin.y + drop);
        }
        const std::string name = section_name(section);
        print_array((name + "_top").c_str(), tops);
        print_array((name + "_middle").c_str(), middles);
        print_array((name + "_drop").c_str(), drops);
    }
    for (const korvane::Button& button : korvane::button_list(layout)) {
        const char* name = button.kind == korvane::HitKind::NewTextButton    ? "new_text"
                           : button.kind == korvane::HitKind::SettingsButton ? "settings"
                           : button.kind == korvane::HitKind::ClearButton    ? "clear"
                                                                             : "minimize";
        std::printf("%s_x=%ld %s_y=%ld\n", name, origin.x + (button.rect.left + button.rect.right) / 2, name,
                    origin.y + (button.rect.top + button.rect.bottom) / 2);
    }
    // Plain background in every state: halfway between the end of the Recent tiles (or of its
    // empty-state text) and the Pinned title.
    const int32_t recent_end = korvane::tiles_top(layout, Area::Recent) + korvane::block_height(layout, layout.recent_count);
    std::printf("gap_y=%ld\n", origin.y + (recent_end + korvane::section_top(layout, Area::Pinned)) / 2);
}

void print_popup(const korvane::ToolbarLayout& layout, POINT origin) {
    const korvane::Size content = korvane::content_size(layout);
    std::printf("popup_left=%ld popup_top=%ld popup_width=%d popup_height=%d\n", origin.x, origin.y, content.width,
                content.height);
    for (const Area section : {Area::Recent, Area::Pinned}) {
        std::vector<int64_t> xs, ys;
        for (uint64_t i = 0; i <= count_of(layout, section); ++i) {
            const korvane::Rect tile = korvane::tile_rect(layout, section, i);
            xs.push_back(origin.x + (tile.left + tile.right) / 2);
            ys.push_back(origin.y + (tile.top + tile.bottom) / 2);
        }
        const std::string name = std::string("popup_") + section_name(section);
        print_array((name + "_x").c_str(), xs);
        print_array((name + "_y").c_str(), ys);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    const bool docked = std::wcscmp(argv[1], L"strip") == 0;
    if (!docked && std::wcscmp(argv[1], L"popup") != 0) return 2;
    wchar_t* end = nullptr;
    const uint64_t recent = std::wcstoull(argv[2], &end, 10);
    if (*end) return 2;
    const uint64_t pinned = std::wcstoull(argv[3], &end, 10);
    if (*end || recent > 10 || pinned > 20) return 2;
    const std::optional<ShownWindow> shown = shown_window(docked ? L"KorvaneDock" : L"KorvaneToolbar");
    if (!shown) return 1;
    const korvane::ToolbarLayout layout =
        korvane::make_layout(korvane::ToolbarView{docked, 0}, korvane::ClientArea{shown->client.right, shown->client.bottom},
                             GetDpiForSystem(), recent, pinned);
    if (docked) print_strip(layout, shown->origin);
    else print_popup(layout, shown->origin);
    return 0;
}
