/* Resource ids shared by the resource script and the code.  The program's icon is its first
   icon group, the one Explorer, the Start menu and the installed-apps list show. */
#pragma once

#define KORVANE_ICON_ID 1
