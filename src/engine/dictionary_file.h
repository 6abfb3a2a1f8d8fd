#pragma once
// The dictionary files of a sort setting (synonyms and look-alike characters): one group per
// line, in file order, each holding the comma-text fields of its line; a blank line gives an
// empty group. The files have no comment syntax and no header; they are read whole, split at
// CR, LF or CR LF, and a NUL byte ends the text.

#include "regex/dictionary.h"

#include <string>

namespace zorbe {

// Throws EFileError, naming the file, when it can't be opened or read.
TREDictionary LoadDictionary(const std::string& fileName);

} // namespace zorbe
