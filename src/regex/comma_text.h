#pragma once
// Comma-text fields: how one line of a replacement file or a dictionary file, and each row of the
// basic look-alike dictionary, is cut into fields.
//
// Blanks are the bytes 0x01-0x20. A field that starts with a double quote runs to the next
// double quote that is not doubled; a doubled one inside stands for one, and the enclosing
// quotes are dropped. Without a closing quote the field is the rest of the line, every byte kept
// as written (the opening quote too). Any other field runs up to the next blank, comma or the
// end of the line. Blanks around fields are skipped; a comma ends a field, and a comma that is
// the very last byte adds an empty field, as do two commas with only blanks between them.
// Without a comma a blank separates fields too. A NUL byte ends the line. Shift-JIS trail bytes
// (0x40 and above), the bytes of an escape and the alternate mark are never a blank, a comma or
// a quote, so the bytes need no decoding.

#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

std::vector<std::string> SplitCommaText(std::string_view line);

} // namespace zorbe
