// What the program knows of itself: its icon and version from its own resources, and the files
// installed beside it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace korvane {

// The program's icon group, for a window class.  Shared by the system and never destroyed;
// each window gets the sizes it needs from the group.  None in a program without the group.
HICON exe_icon();

// "x.y.z" from the fixed part of the version resource; nothing when there is none.
std::optional<std::wstring> program_version();

// The running executable's full path; nothing when the system cannot say it.
std::optional<std::wstring> program_path();

// Opens a file of the program's folder (a licence text) as the user's shell opens it.  False
// when it could not be opened.
bool open_program_file(const wchar_t* name);

}  // namespace korvane
