#pragma once

#include <QString>
#include <QStringView>

namespace hz {

// Texts of the ERP are counted in bytes of Windows code page 936 (GBK): ASCII takes one byte, a character of
// GBK two (the euro sign, 0x80, one). A character that code page 936 cannot hold counts one byte, as the "?"
// that replaces it; that holds for a character outside the BMP too (one surrogate pair, one byte) and for a
// lone surrogate.
qsizetype AnsiByteLength(QStringView text);

// The longest beginning of text that takes at most maxBytes bytes in code page 936. A character is kept whole
// or dropped whole, never split: "一二三" cut to 5 bytes gives "一二".
QString CutToAnsiBytes(QStringView text, qsizetype maxBytes);

} // namespace hz
