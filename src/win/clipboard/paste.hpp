// Pasting: following the window the user works in, writing a clip to the clipboard, and
// typing Ctrl+V into that window.
#pragma once

#include <windows.h>

#include <span>

#include "core/clip.hpp"

namespace korvane {

// Remembers the main window, which hears of every change of the paste target.
void set_foreground_listener(HWND main_window);

// Installs the foreground hook and takes the window in front now as the first target.
void install_foreground_hook();

// What the Wine poll finds in front, and what the hook's event passes: a top-level window of
// another program, not the shell's, becomes the target.
void follow_paste_target(HWND window);
// The hook's work: the window an event names counts only when it is the one in front now.
void follow_reported_foreground(HWND named);

HWND paste_target();
// Brings the target back to the front when Korvane is done with the keyboard without pasting,
// rather than leaving it to whichever window the system would activate next.
void return_to_paste_target();

// How a clip is written: `plain_text` leaves out its companions (a text then goes as
// CF_UNICODETEXT alone); `secret` adds the three markers that keep it out of every clipboard
// history, for a template filled in with a secret value.
struct PasteWrite {
    bool plain_text = false;
    bool secret = false;
};

// The main format first, then each companion under its registered name, then the privacy
// markers.  Success is that of the main format.
bool write_clip_to_clipboard(HWND owner, const ClipContent& content, PasteWrite how = {});
bool paste_into_target();

}  // namespace korvane
