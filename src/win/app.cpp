#include "win/app.hpp"

#include <utility>

namespace korvane {
namespace {

struct AppSlot {
    std::unique_ptr<App> app;
    bool borrowed = false;
};

thread_local AppSlot slot;

}  // namespace

AppBorrow::AppBorrow(App* app) : app_(app) { slot.borrowed = true; }

AppBorrow::AppBorrow(AppBorrow&& other) noexcept : app_(std::exchange(other.app_, nullptr)) {}

AppBorrow::~AppBorrow() {
    if (app_) slot.borrowed = false;
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
