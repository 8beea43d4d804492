// Saves the pins with Korvane's own code, over and over, until it is killed: set A, set B, set
// A...  It loads pins.dat first as Korvane does at start-up, so a file it could not load would
// be kept aside on the first save.  After the first save it sets the named event given as its
// argument.
// usage: pin_saver.exe EVENT_NAME
#include <windows.h>

#include "pin_sets.hpp"
#include "win/storage/files.hpp"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    korvane::load_pins();
    const std::vector<korvane::Clip> sets[2] = {korvane::pin_sets::set_a(), korvane::pin_sets::set_b()};
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[1]);
    if (!ready) return 3;
    korvane::save_pins(sets[1]);
    SetEvent(ready);
    CloseHandle(ready);
    for (unsigned long long round = 0;; ++round) korvane::save_pins(sets[round % 2]);
}
