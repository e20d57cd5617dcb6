// Module-wide state of the control DLL: its instance handle and the count of live objects and
// server locks that decides whether COM may unload it.
#pragma once

#include <windows.h>

namespace standin {

HINSTANCE moduleInstance();
void objectCreated();
void objectDestroyed();

}  // namespace standin
