// Clipboard capture: each clipboard change becomes at most one clip at the front of Recent.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/clip.hpp"

namespace korvane {

// Blocks larger than this (256 MiB) are never copied.
constexpr SIZE_T MAX_CLIPBOARD_BLOCK = 0x10000000;

// The handler of WM_CLIPBOARDUPDATE: posts one WM_CAPTURE_CLIPBOARD for a change not yet read,
// and none while one is on its way.  Always returns 0.  While capture is paused the capture
// reads nothing.
LRESULT on_clipboard_update(HWND main_window);
// The handler of WM_CAPTURE_CLIPBOARD: reads the clipboard unless its content was read since the
// change, makes the clip, and refreshes the toolbars when Recent changed.  Always returns 0.
LRESULT on_capture_clipboard(HWND main_window);
// How many times the content was read, for the benchmarks and the tests that count the work.
uint64_t clipboard_reads();

// Copies a clipboard memory block; nothing for a null handle, an empty or oversized block, or a
// failed lock.
std::optional<Bytes> read_global_block(HANDLE block);

// Opens the clipboard for the window: up to 10 attempts, 15 ms apart.
bool open_clipboard_retrying(HWND owner);

}  // namespace korvane
