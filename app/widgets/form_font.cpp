#include "app/widgets/form_font.h"

#include <QStringList>

namespace hz {

QFont FormFont() {
    QFont font;
    // The first one installed is used: Noto Sans CJK SC on Linux, Microsoft YaHei on Windows, SimSun on one without it.
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Microsoft YaHei"), QStringLiteral("SimSun")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    return font;
}

} // namespace hz
