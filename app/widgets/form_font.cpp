#include "app/widgets/form_font.h"

namespace hz {

QFont FormFont() {
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    return font;
}

} // namespace hz
