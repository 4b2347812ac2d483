#pragma once

namespace hz {

// Decodes Excel's _xHHHH_ escapes (UTF-16 code units written as hex, e.g. _x000D_ for a carriage return) in the
// UTF-8 text [begin, end) in place and returns the new end. A pair of escaped surrogates gives one character;
// an unpaired surrogate stays as written. "_x005F_" is an escaped '_', so "_x005F_x0041_" reads "_x0041_".
char* DecodeExcelEscapes(char* begin, char* end);

} // namespace hz
