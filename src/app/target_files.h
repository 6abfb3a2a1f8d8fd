#pragma once
// Adding target files to the main window's list: folders become the files below them, and each
// file is accepted with its character-code name or refused with a message naming it.
//
// The list takes every text a job can read: Shift-JIS, JIS, EUC, UTF-8 and UTF-16. Binary files
// and files of unknown code are refused one message each; the other files are still examined.

#include "app/message_texts.h"
#include "text/char_code.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zorbe {

// Every name that is an existing folder replaced by all files below it (depth first, in the
// order the file system lists them); other names unchanged.
std::vector<std::string> ExpandTargetNames(const std::vector<std::string>& names);

// The file a name of the work list stands for: a link file (".desktop") is replaced by the file
// it points to, or refused through showError with nothing returned; any other name is itself.
std::optional<std::string> ListedFileName(const std::string& name, const MessageSink& showError);

// The message for a target file that can't be opened: the usual "missing or in use" text when
// that is the cause, the true cause (permission denied, ...) otherwise.
std::string CannotOpenMessage(const std::string& file, int error);

// The message for a named pipe met where files are listed (the main window's list, a folder's
// files, --detect): it is skipped, never read (reading it would wait for a writer).
std::string NamedPipeSkippedMessage(const std::string& file);

// The character code of a file, or nothing after one message naming the file and why it can't
// be opened (or that it is a named pipe) went to showError.
std::optional<TCharCode> DetectTargetCode(const std::string& file, const MessageSink& showError);

// The character code of a file the list accepts, or nothing after the refusal went to
// showError (one message per file). With a `named` code (the setting's InputCode) the file is
// not detected: any file that can be opened takes that code.
std::optional<TCharCode> AcceptedListCode(const std::string& file, const MessageSink& showError,
                                          std::optional<TCharCode> named = std::nullopt);

// The refusal for a detection result the list does not accept; empty for an accepted one.
std::string ListRefusalMessage(const std::string& file, TCharCode detectionResult);

// The row count as the status bar shows it: "3 個".
std::string FileCountText(std::size_t count);

// The refusal of a dropped item that is not a file on this computer (an sftp: or http: link).
std::string NotLocalFileMessage(const std::string& url);

} // namespace zorbe
