#pragma once

namespace hz {

// Paints a window of the program afresh each time the window system shows it. Qt answers the window system's
// expose by copying the frame it holds; under Xvfb some of the program's dialogs were seen to stay solid black, as
// a frame never painted would, while others showed. A fresh paint on every expose leaves no window as the server
// first showed it, at the cost of one paint of a small window.
void RepaintWindowsWhenExposed();

} // namespace hz
