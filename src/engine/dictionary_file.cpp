// A dictionary file's text: its lines, the comma-text fields of each line.

#include "engine/dictionary_file.h"

#include "engine/line_store.h"

namespace zorbe {

TREDictionary DictionaryFromText(std::string_view text) {
  return DictionaryFromLines(SplitTextFileLines(text));
}

} // namespace zorbe
