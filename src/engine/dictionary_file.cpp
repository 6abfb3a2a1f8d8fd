// Loading a dictionary file: the whole file, its lines, the comma-text fields of each line. A file
// that can't be opened or read raises the error of ReadWholeFile, which names it.

#include "engine/dictionary_file.h"

#include "engine/line_store.h"
#include "platform/file_system.h"

namespace zorbe {

TREDictionary LoadDictionary(const std::string& fileName) {
  return DictionaryFromLines(SplitTextFileLines(ReadWholeFile(fileName)));
}

} // namespace zorbe
