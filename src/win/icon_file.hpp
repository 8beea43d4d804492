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
// (after telling the user why).
std::optional<Bytes> choose_icon_file(HWND owner);

// The 96 x 96 picture of a file, or the reason it cannot be one.
std::variant<Bytes, std::string> read_icon_file(const std::wstring& path);

// "Could not use <file name> as an icon.\n<reason>"
std::string icon_failure_message(const std::wstring& path, const std::string& reason);

}  // namespace korvane
