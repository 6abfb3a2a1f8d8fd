#pragma once
// The dictionary files of a sort setting (synonyms and look-alike characters): one group per
// line, in file order, each holding the comma-text fields of its line; a blank line gives an
// empty group. The files have no comment syntax and no header; their text (in the internal
// form, whatever code the file is in) is split at CR, LF or CR LF, and a NUL byte ends it.

#include "regex/dictionary.h"

#include <string_view>

namespace zorbe {

TREDictionary DictionaryFromText(std::string_view text);

} // namespace zorbe
