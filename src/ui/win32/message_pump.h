// The application's message handling: the main loop, the pending-message pump and the filter
// that keeps right-button presses from ever reaching a window of the program.
#pragma once

#include "platform/win32/windows_api.h"

namespace saverkit::win32 {

// Takes one message from the queue and dispatches it (unless the filter discards it). False
// when the message was WM_QUIT, which is put back so the main loop still sees it.
bool handleOneMessage(HWND dialogWindow);
// Handles what is queued now, without waiting.
void processPendingMessages(HWND dialogWindow);
// Runs until WM_QUIT.
void runMessageLoop(HWND dialogWindow);

// The hourglass for the whole program while the startup or an install runs: the windows answer
// WM_SETCURSOR with it, so that moving the mouse does not take it away.
void setBusyCursor(bool busy);
// For a window procedure's WM_SETCURSOR: true when it has set the hourglass.
bool showBusyCursor();

}  // namespace saverkit::win32
