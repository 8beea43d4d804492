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

// The handler of WM_CLIPBOARDUPDATE; always returns 0.  While capture is paused it reads nothing.
LRESULT on_clipboard_update(HWND main_window);

// Reads the clipboard's current content as a clip content, or nothing when it is to be ignored
// (its owner's program file name is one of ignored_programs, any case) or holds nothing
// usable.  Opens and closes the clipboard.
std::optional<ClipContent> read_clipboard_content(HWND main_window, const std::vector<std::string>& ignored_programs);

// Copies a clipboard memory block; nothing for a null handle, an empty or oversized block, or a
// failed lock.
std::optional<Bytes> read_global_block(HANDLE block);

// Opens the clipboard for the window: up to 10 attempts, 15 ms apart.
bool open_clipboard_retrying(HWND owner);

}  // namespace korvane
