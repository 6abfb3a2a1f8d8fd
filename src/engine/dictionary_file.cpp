#include "engine/dictionary_file.h"

#include "engine/line_store.h"
#include "platform/file_system.h"

namespace zorbe {

TREDictionary LoadDictionary(const std::string& fileName) {
  return DictionaryFromLines(SplitTextFileLines(ReadWholeFile(fileName)));
}

} // namespace zorbe
