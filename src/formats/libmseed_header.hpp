// libmseed's header, without what it leaves behind on Windows: there it includes <windows.h>
// (whose min and max macros break std::min and std::max) and defines stat and fstat as macros,
// which rename the structures of any system header read after it.
#pragma once

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
// Read before the macros exist, so that later includes of them change nothing.
#include <sys/stat.h>
#include <sys/types.h>
#include <wchar.h>
#endif

#include <libmseed.h>

#if defined(_WIN32)
#undef stat
#undef fstat
#endif
