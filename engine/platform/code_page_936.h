#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace hz {

// Conversions to and from Windows code page 936 (GBK), the ANSI code page of the original users' files.

// The text that bytes hold, or nothing when they are not valid code page 936 (a byte sequence without a
// character, a lead byte cut off at the end).
std::optional<QString> DecodeCodePage936(QByteArrayView bytes);
// text in code page 936, or nothing when one of its characters has no code there.
std::optional<QByteArray> EncodeCodePage936(QStringView text);

// True when bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing cut off).
bool IsValidUtf8(QByteArrayView bytes);

} // namespace hz
