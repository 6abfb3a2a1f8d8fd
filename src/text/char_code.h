#pragma once
// Character codes: what the detector decides for a file, the name the file list shows for it,
// and what a sort job does with it; and the expansion of folders into files.
//
// A TCharCode travels with each target file from the detector to the job. Everything the rest
// of the program asks of a code (its name, whether a job can read it, which converter reads it)
// comes from the one table in char_code.cpp, never from comparing names.
//
// The detector scans a file from its first byte and stops at the first decisive one (the binary
// pre-check looks at the first 512-byte block); the result codes and their names are the ones
// the file list and the sort job carry around. An empty file is Shift-JIS text without lines.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

// The detection results; the numbers are the detector's result codes.
enum class TCharCode : std::uint8_t {
  ccBinary = 1,
  ccJis83 = 2,
  ccJis78 = 3,
  ccEuc = 4,
  ccShiftJis = 5,
  ccUtf16LE = 6,
  ccUtf16BE = 7,
  ccUtf8 = 8,
  // The JIS X 0213 codes: never told by their bytes alone, only by a coding mark in the file's
  // first lines or by the user.
  ccEucJis2004 = 9,
  ccShiftJis2004 = 10,
  ccIso2022Jp3 = 11,
  ccUndecided = 20,
  ccEmptyOrUnreadable = 21,
};
using enum TCharCode;

// How a job reads text in a code.
enum class TCodeFamily : std::uint8_t {
  NotText,  // binary, undecided or unreadable: no job reads it
  ShiftJis, // Shift-JIS and Shift_JIS-2004: lead and trail bytes
  Jis,      // JIS83, JIS78 and ISO-2022-JP-3: escape sequences switch modes
  Euc,      // EUC-JP and EUC-JIS-2004: pairs of 0xA1-0xFE, 0x8E and 0x8F
  Utf8,     // UTF-8, with or without a byte-order mark
  Utf16,    // UTF-16 with a byte-order mark, either byte order
};

TCodeFamily FamilyOf(TCharCode code);
// A code a sort job can read: every code but binary, undecided and unreadable.
inline bool IsTextCode(TCharCode code) {
  return FamilyOf(code) != TCodeFamily::NotText;
}
inline bool IsUnicodeCode(TCharCode code) {
  return FamilyOf(code) == TCodeFamily::Utf8 || FamilyOf(code) == TCodeFamily::Utf16;
}
inline bool IsJis2004Code(TCharCode code) {
  return code == ccEucJis2004 || code == ccShiftJis2004 || code == ccIso2022Jp3;
}

inline constexpr std::size_t kDetectBlockSize = 512;

// Shows a message to the user (the message routine of the caller's choice).
using MessageSink = std::function<void(const std::string& message)>;

struct TFileBlock {
  std::string bytes;     // up to 512 bytes read at the offset
  std::uint64_t size{0}; // the file's total size; 0 when it couldn't be opened
};

// Reads up to 512 bytes at the offset. A file that can't be opened gives an empty block and
// size 0, after the message "ファイル「name」は存在しないか使用中です。" went to onError.
TFileBlock ReadFileBlock(const std::string& fileName, std::uint64_t offset,
                         const MessageSink& onError = {});

// The character code of a file; never changes the file. A file that is no Japanese text (one
// that uchardet takes for a European code, with no Japanese in any reading) gives
// ccEmptyOrUnreadable after a message to onError saying so.
TCharCode DetectCharCode(const std::string& fileName, const MessageSink& onError = {});

// The same detection over a whole file already in memory (a pipe read to its end), named
// `name` in messages.
TCharCode DetectCharCodeOfBytes(std::string_view bytes, const std::string& name = "-",
                                const MessageSink& onError = {});

// Whether the first block of a file marks it as binary: a byte 0x00-0x07 or 0xFF before its
// last byte (and no byte-order mark in front).
bool IsBinaryBlock(std::string_view firstBlock);

// "S-JIS", "JIS83", "JIS78", "EUC", "Unicode", "Unicode(BE)", "UTF-8", "BINARY" or "none".
std::string CharCodeName(TCharCode code);

// Appends the full name of every file below the folder, depth first in the order the file
// system lists them, or with `byName` in byte order of the names in each folder (the same list
// on every run). Symbolic links to folders are skipped, so a link loop can't recurse.
void CollectFolderFiles(const std::string& folder, std::vector<std::string>& list,
                        bool byName = false);

} // namespace zorbe
