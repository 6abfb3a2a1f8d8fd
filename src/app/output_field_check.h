#pragma once
// The checks of the settings window's fixed output folder and file name, run on every change
// of their text: characters that can't stand in a portable file name are removed, and the user
// is told once which ones.
//
// Texts are UTF-8, so the bytes of a multi-byte character are never mistaken for one of the
// forbidden ASCII characters. A folder is checked only when it is absolute; its "/" separators
// stay, and surrounding double quotes are set aside and kept.

#include "app/message_texts.h"
#include <string>

namespace zorbe {

struct TCheckedField {
  std::string text;     // the text without the forbidden characters
  bool removed = false; // whether any was found (then the message is due)
};

// The file name field: \ / : , * ? " < > | are removed.
TCheckedField CheckOutputFileName(const std::string& text);

// The folder field: after a leading double quote (and a closing one when it opened with one)
// is set aside, an absolute folder has " * , : < > ? | removed from the part after its leading
// "/". A relative folder is left alone.
TCheckedField CheckOutputFolder(const std::string& text);

} // namespace zorbe
