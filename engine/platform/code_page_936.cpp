#include "engine/platform/code_page_936.h"

#include "engine/messages/run_error.h"
#include "engine/platform/code_page_text.h"

#include <QStringDecoder>

namespace hz {
namespace {

CodePageText OpenCodePage936() {
    std::optional<CodePageText> converter = CodePageText::Open(936);
    if (!converter) {
        throw RunError("The system has no conversion for code page 936");
    }
    return std::move(*converter);
}

// One converter for each thread that converts, opened at its first text.
const CodePageText& CodePage936() {
    thread_local const CodePageText converter = OpenCodePage936();
    return converter;
}

std::string_view View(QByteArrayView bytes) {
    return {bytes.data(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

std::optional<QString> DecodeCodePage936(QByteArrayView bytes) {
    const std::optional<std::string> utf8 = CodePage936().Decode(View(bytes));
    if (!utf8) {
        return std::nullopt;
    }
    return QString::fromUtf8(utf8->data(), static_cast<qsizetype>(utf8->size()));
}

std::optional<QByteArray> EncodeCodePage936(QStringView text) {
    const QByteArray utf8 = text.toUtf8();
    const std::optional<std::string> bytes = CodePage936().Encode(View(utf8));
    if (!bytes) {
        return std::nullopt;
    }
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

bool IsValidUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace hz
