#pragma once
// Sorting the clipboard's text: back onto the clipboard, or into a file.
//
//   clipboard text -> CP932 (UTF-8 when CP932 can't carry it) -> Clip.txt in the program
//     folder -> the ordinary sort job
//     mode cmClipToClip: the job's output is Clip.txt itself (so it asks before overwriting
//                        it), written in the code of Clip.txt with CR LF whatever the setting
//                        says; at the end Clip.txt goes back onto the clipboard
//     mode cmClipToFile: the job's output is the output field's name, or the default output
//                        name of Clip.txt (Clip[0].txt beside it)
//   at the end, whatever happened to the job, Clip.txt is deleted
//
// The window refuses first (busy, no text, a broken temporary settings window); every text is
// sorted, whatever characters it holds.

#include "app/clipboard_text.h"
#include "app/message_texts.h"
#include "engine/sort_job.h"
#include "platform/clipboard.h"
#include "settings/setting_option_items.h"

#include <optional>
#include <string>

namespace zorbe {

inline constexpr const char* kClipboardFileName = "Clip.txt";

enum TClipboardMode : int { cmNone = -1, cmClipToClip = 0, cmClipToFile = 1 };

// The mode a menu item stands for ("mmClipToClip", "mmClipToFile"); cmNone for any other name.
TClipboardMode ClipboardModeOfItem(const std::string& itemName);

// ProgramFolder() + "Clip.txt".
std::string ClipboardFileName();

// A clipboard sort about to start: the job's inputs and the text it came from.
struct TClipboardJob {
  TSortJobInputs inputs;
  TClipboardText text;
};

// Converts the clipboard text, writes it to the temporary file and builds the job's inputs from
// the setting (NoConnected off) and, in mode cmClipToFile, the output field's file name. Nothing
// after telling the user (error, OK) why not: the temporary file can't be written. The clipboard is
// never touched here.
std::optional<TClipboardJob> PrepareClipboardSort(TClipboardMode mode, const std::string& text,
                                                  const TSettingOptionItems& setting,
                                                  const std::string& outputFieldName);

// The end of a clipboard sort, also after a stop or a failure. Mode cmClipToClip puts the
// output (the temporary file) on the clipboard when the job changed it; a temporary file that
// the job never wrote still holds the clipboard's own text, so the clipboard is left alone (it
// keeps its other forms, such as rich text). A file that can't be read back is reported and the
// clipboard is left alone. The temporary file is then deleted, unless it is the file a
// cmClipToFile sort wrote its result to.
// `outputName` is the name the job wrote back (its output file).
void FinishClipboardSort(TClipboardMode mode, const TClipboardText& text,
                         const std::string& outputName, IClipboard& clipboard);

} // namespace zorbe
