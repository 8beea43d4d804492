#include "win/app/app.hpp"

#include <utility>

namespace korvane {
namespace {

struct AppSlot {
    std::unique_ptr<App> app;
    bool borrowed = false;
};

thread_local AppSlot slot;

}  // namespace

ToolbarState* toolbar_for(App& app, HWND window) {
    if (window && app.docked.window == window) return &app.docked;
    if (window && app.popup.window == window) return &app.popup;
    return nullptr;
}

AppBorrow::AppBorrow(App* app) : app_(app) { slot.borrowed = true; }

AppBorrow::AppBorrow(AppBorrow&& other) noexcept : app_(std::exchange(other.app_, nullptr)) {}

AppBorrow::~AppBorrow() { release(); }

void AppBorrow::release() {
    if (app_) slot.borrowed = false;
    app_ = nullptr;
}

AppBorrow borrow_app() {
    if (!slot.app || slot.borrowed) return AppBorrow();
    return AppBorrow(slot.app.get());
}

void install_app(std::unique_ptr<App> app) { slot.app = std::move(app); }

std::unique_ptr<App> take_app() {
    slot.borrowed = false;
    return std::move(slot.app);
}

}  // namespace korvane
