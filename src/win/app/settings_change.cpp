#include "win/app/settings_change.hpp"

#include "win/app/app.hpp"
#include "win/storage/files.hpp"

namespace korvane {

bool change_settings(const std::function<void(Settings&)>& change) {
    Settings settings;
    if (AppBorrow app = borrow_app()) {
        change(app->settings);
        settings = app->settings;
    } else {
        return false;
    }
    report_settings_save(write_settings_file(settings));
    return true;
}

}  // namespace korvane
