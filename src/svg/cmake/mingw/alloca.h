/* The generated module includes <alloca.h>, which mingw-w64 provides as <malloc.h>. */
#include <malloc.h>
