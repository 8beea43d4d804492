// One of each modal window at a time: the toolbars stay live while a dialog is open, and a
// second request for one that is open (another Fill in, Variables…, Edit text… or the settings)
// is refused with a beep.
#pragma once

#include <array>
#include <cstddef>

#include "win/support/beep.hpp"

namespace korvane {

enum class DialogKind : size_t { FillIn, Wizard, Editor, Settings, Count };

class DialogInUse {
public:
    explicit DialogInUse(DialogKind kind) : slot_(flags()[size_t(kind)]), taken_(!slot_) {
        if (taken_) slot_ = true;
        else beep_refusal();
    }
    ~DialogInUse() {
        if (taken_) slot_ = false;
    }
    DialogInUse(const DialogInUse&) = delete;
    DialogInUse& operator=(const DialogInUse&) = delete;
    explicit operator bool() const { return taken_; }

private:
    static std::array<bool, size_t(DialogKind::Count)>& flags() {
        thread_local std::array<bool, size_t(DialogKind::Count)> in_use{};
        return in_use;
    }
    bool& slot_;
    bool taken_;
};

}  // namespace korvane
