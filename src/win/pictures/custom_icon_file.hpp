// A custom icon from a picture file the user chooses: raster images through GDI+, SVG files
// through the SVG renderer.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <variant>

#include "core/clip.hpp"

namespace korvane {

// Asks for a file and converts it; nothing when cancelled or when the file cannot be used
// (after telling the user why).  The owner is the main window: while the conversion runs, the
// notification icon's callbacks to it are refused with a beep, as input is.
std::optional<Bytes> choose_icon_file(HWND owner);

// The 96 x 96 picture of a file, or the reason it cannot be one.  The conversion runs on a
// thread of its own for at most a few seconds, while this thread goes on serving its windows
// but drops their mouse and keyboard input.  Called from the user-interface thread only.
std::variant<Bytes, std::string> read_icon_file(const std::wstring& path);

// "Could not use <file name> as an icon.\n<reason>"
std::string icon_failure_message(const std::wstring& path, const std::string& reason);

}  // namespace korvane
