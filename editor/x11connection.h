// The file descriptor of an X11 display connection, kept apart so that
// Xlib's macros reach no other file.
#pragma once

// display: an X11 Display*; -1 for none or on Windows.
int ConnectionFd(void* display);
