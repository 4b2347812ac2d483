#pragma once

namespace hz {

// Gives every window of the program that is drawn in the screen's own visual the screen's default colormap, in place
// of the private colormap that Qt's X11 backend makes for each visual. A reader of the screen that sorts windows by
// colormap, as xwd does, otherwise takes the program's windows for a region of their own, reads a dialog lying wholly
// over another window of the program through that window, and gets what the X server gives for a covered part: black.
// Does nothing on another window system.
void UseScreenColormapForWindows();

} // namespace hz
