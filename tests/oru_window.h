#pragma once

#include <functional>
#include <string>

#include "display_fixture.h"

// The program's window as another client of the virtual X server sees it.

// The id of the newest window named ORU, or "" while there is none.
std::string findOruWindow();
// The id of the window named ORU, waiting for it to appear; "" if it does not.
std::string oruWindow();
// What the window shows now, at its current size; an empty frame when it
// cannot be read (gone, or not on the screen).
Frame windowContents(const std::string& id);
// Waits until the ORU window shows a frame for which shown holds; false if it never does.
bool waitForWindowShowing(const std::function<bool(const Frame&)>& shown);
// Whether any pixel of the frame is lit.
bool anythingLit(const Frame& frame);
// Focuses the ORU window and sends it a key action ("keydown Escape", "key F12").
void sendKey(const std::string& action);
// Asks the window id to close, as a window manager's close button does.
void closeWindow(const std::string& id);
