// GDI+, which decodes picture files and PNG blocks: started before its first use, once for the
// process, and never shut down.
#pragma once

namespace korvane {

void start_gdiplus();

}  // namespace korvane
