#include <windows.h>

#include "win/app/main.hpp"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return korvane::run_korvane(instance); }
