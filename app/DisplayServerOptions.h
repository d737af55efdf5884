#pragma once

// Called before the QApplication is made. On X11 the window's pictures go
// to the display server over its socket instead of shared memory: with
// shared memory the server answers every window update with a completion
// event, which wakes the program once more per update, about a hundred
// times a second while the lanes run. The updates of a running lane are a
// few digits, small enough that the socket carries them as fast. A value
// the user set for QT_XCB_NO_MITSHM is kept.
void PreferSocketPictureTransfer();
