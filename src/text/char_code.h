#pragma once
// Character-code detection of target files and the expansion of folders into files.
//
// The detector examines a file in 512-byte blocks and stops at the first decisive byte; the
// result codes and their names are the ones the file list and the sort job carry around.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

enum TCharCodeResult : int {
  ccBinary = 1,
  ccJis83 = 2,
  ccJis78 = 3,
  ccEuc = 4,
  ccShiftJis = 5,
  ccUtf16LE = 6,
  ccUtf16BE = 7,
  ccUtf8 = 8,
  ccUndecided = 20,
  ccEmptyOrUnreadable = 21,
};

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

// The detection result code of a file (see TCharCodeResult); never changes the file.
int DetectCharCode(const std::string& fileName, const MessageSink& onError = {});

// The same detection over bytes already in memory, block by block as if they were a file.
int DetectCharCodeOfBytes(std::string_view firstBlock, std::uint64_t fileSize,
                          const std::function<std::string_view(std::uint64_t blockIndex)>& block);

// Whether the first block of a file marks it as binary: a byte 0x00-0x07 or 0xFF before its
// last byte (and no byte-order mark in front).
bool IsBinaryBlock(std::string_view firstBlock);

// "S-JIS", "JIS83", "JIS78", "EUC", "Unicode", "Unicode(BE)", "UTF-8", "BINARY" or "none".
std::string CharCodeName(int result);

// Appends the full name of every file below the folder, depth first in the order the file
// system lists them, or with `byName` in byte order of the names in each folder (the same list
// on every run). Symbolic links to folders are skipped, so a link loop can't recurse.
void CollectFolderFiles(const std::string& folder, std::vector<std::string>& list,
                        bool byName = false);

} // namespace zorbe
