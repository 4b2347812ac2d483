#include "engine/platform/code_page_text.h"

#include <cerrno>
#include <iconv.h>

namespace hz {

namespace {

const char* const kReplacement = "\xEF\xBF\xBD"; // U+FFFD in UTF-8
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// iconv's name for a Windows code page number.
std::string IconvName(unsigned codePage) {
    switch (codePage) {
    case 20127:
        return "ASCII";
    case 10000:
        return "MACINTOSH";
    default:
        return "CP" + std::to_string(codePage);
    }
}

// Converts as much of the input as the converter takes, appending to output; false where it stops at a sequence
// without a character (the input then points at it).
bool Convert(iconv_t converter, const char*& input, std::size_t& inputLeft, std::string& output) {
    char buffer[1024];
    while (inputLeft > 0) {
        char* in = const_cast<char*>(input);
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const bool converted = iconv(converter, &in, &inputLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
        const int error = errno;
        input = in;
        output.append(buffer, static_cast<std::size_t>(out - buffer));
        if (!converted && error != E2BIG)
            return false;
    }
    return true;
}

std::optional<std::string> ConvertAll(iconv_t converter, std::string_view bytes) {
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    const char* input = bytes.data();
    std::size_t left = bytes.size();
    std::string output;
    if (!Convert(converter, input, left, output))
        return std::nullopt;
    return output;
}

} // namespace

struct CodePageText::Tables {
    iconv_t decoder = kNoConverter; // to UTF-8
    iconv_t encoder = kNoConverter; // from UTF-8

    ~Tables() {
        if (decoder != kNoConverter)
            iconv_close(decoder);
        if (encoder != kNoConverter)
            iconv_close(encoder);
    }
};

std::optional<CodePageText> CodePageText::Open(unsigned codePage) {
    auto tables = std::make_unique<Tables>();
    const std::string name = IconvName(codePage);
    tables->decoder = iconv_open("UTF-8", name.c_str());
    tables->encoder = iconv_open(name.c_str(), "UTF-8");
    if (tables->decoder == kNoConverter || tables->encoder == kNoConverter)
        return std::nullopt;
    return CodePageText(std::move(tables));
}

CodePageText::CodePageText(std::unique_ptr<Tables> tables) : tables(std::move(tables)) {}
CodePageText::~CodePageText() = default;
CodePageText::CodePageText(CodePageText&&) noexcept = default;
CodePageText& CodePageText::operator=(CodePageText&&) noexcept = default;

std::optional<std::string> CodePageText::Decode(std::string_view bytes) const {
    return ConvertAll(tables->decoder, bytes);
}

std::string CodePageText::DecodeReplacingInvalid(std::string_view bytes) const {
    iconv(tables->decoder, nullptr, nullptr, nullptr, nullptr);
    const char* input = bytes.data();
    std::size_t left = bytes.size();
    std::string text;
    while (!Convert(tables->decoder, input, left, text)) {
        // A byte that starts no character, or a lead byte cut off at the end.
        text += kReplacement;
        ++input;
        --left;
        iconv(tables->decoder, nullptr, nullptr, nullptr, nullptr);
    }
    return text;
}

std::optional<std::string> CodePageText::Encode(std::string_view utf8) const {
    return ConvertAll(tables->encoder, utf8);
}

} // namespace hz
