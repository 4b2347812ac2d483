#include "engine/platform/code_page_936.h"

#include "engine/messages/run_error.h"

#include <QStringDecoder>

#include <cerrno>
#include <iconv.h>

namespace hz {
namespace {

// Converts all of input with iconv; nothing when a sequence cannot be converted. outputFactor bounds the
// output bytes per input byte for the pair of encodings.
std::optional<QByteArray> Convert(const char* to, const char* from, QByteArrayView input, qsizetype outputFactor) {
    const iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        throw RunError("The code page 936 conversion of the C library is not available");
    }
    QByteArray output(input.size() * outputFactor + 4, Qt::Uninitialized);
    char* in = const_cast<char*>(input.data());
    char* out = output.data();
    std::size_t inLeft = static_cast<std::size_t>(input.size());
    std::size_t outLeft = static_cast<std::size_t>(output.size());
    const bool converted = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!converted || inLeft != 0) {
        return std::nullopt;
    }
    output.truncate(output.size() - static_cast<qsizetype>(outLeft));
    return output;
}

} // namespace

std::optional<QString> DecodeCodePage936(QByteArrayView bytes) {
    // One byte (the euro sign 0x80) can become three bytes of UTF-8; two bytes never more than three.
    const auto utf8 = Convert("UTF-8", "CP936", bytes, 3);
    if (!utf8) {
        return std::nullopt;
    }
    return QString::fromUtf8(*utf8);
}

std::optional<QByteArray> EncodeCodePage936(QStringView text) {
    // A character never takes more bytes in code page 936 than in UTF-8.
    const QByteArray utf8 = text.toUtf8();
    return Convert("CP936", "UTF-8", utf8, 1);
}

bool IsValidUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace hz
