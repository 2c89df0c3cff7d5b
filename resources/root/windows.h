/* The compiler system's windows.h: forwards to the toolchain's own header. Its presence in
   <root>\include is also how the IDE recognises a compiler system root on its first run. */
#include_next <windows.h>
