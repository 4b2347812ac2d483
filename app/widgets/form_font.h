#pragma once

#include <QFont>

namespace hz {

// The font of both windows: a Chinese sans serif at 12 pixels (the 9 points of the original forms), so that the
// fixed geometry holds whatever the desktop's default font is. Noto Sans CJK SC, else Microsoft YaHei, else SimSun,
// whichever is installed first in that order.
QFont FormFont();

} // namespace hz
