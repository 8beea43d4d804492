#include "win/support/beep.hpp"

#include <windows.h>

#include <atomic>

namespace korvane {
namespace {

std::atomic<uint64_t> sounded{0};

}  // namespace

void beep_refusal() {
    sounded.fetch_add(1);
    MessageBeep(MB_ICONEXCLAMATION);
}

uint64_t refusals_sounded() { return sounded.load(); }

}  // namespace korvane
