#pragma once
// A DIY drawing waits in the working file: the DIY dialog raises the flag
// after it has saved the drawing, and the main window's timer clears it and
// loads the file. Set and read on the GUI thread; atomic so that nobody has
// to prove that.

#include <atomic>

extern std::atomic<bool> g_bDiyPictureReady;
