// The child window a control shows while active in place. It draws through its control and
// holds no reference to it: the control destroys the window before it goes away itself.
#pragma once

#include <windows.h>

namespace standin {

class PlayerControl;

HWND createPlayerWindow(PlayerControl& control, HWND parent, const RECT& bounds);
void unregisterWindowClass();

}  // namespace standin
