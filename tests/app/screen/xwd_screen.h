#pragma once

#include <QImage>
#include <QString>

namespace hz::test {

// The screen as `xwd -root` records it. xwd sorts the windows by visual and colormap and reads a window that lies
// wholly over another of the same kind through the one below, so a reading can differ from the screen: a user's
// screenshot showed the program's boxes black that way.
struct XwdReading {
    QImage screen;   // null when the reading failed
    QString failure; // why it failed
};

XwdReading ReadScreenWithXwd();

} // namespace hz::test
