#pragma once

#include <string>
#include <string_view>

namespace hz {

// Text for a cell's <t> element: characters that XML 1.0 cannot carry or keep (control characters, carriage
// returns, U+FFFE, U+FFFF) become Excel's _xHHHH_ escapes, and an underscore that would otherwise read as the
// start of such an escape becomes _x005F_, so that the text reads back as it was written.
std::string EncodeExcelEscapes(std::string_view text);

// Whether a <t> element needs xml:space="preserve" to keep the text as it is: leading or trailing
// whitespace, or tabs and line breaks.
bool NeedsSpacePreserved(std::string_view text);

} // namespace hz
