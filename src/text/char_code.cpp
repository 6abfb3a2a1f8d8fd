#include "text/char_code.h"

#include "platform/read_file.h"
#include "text/code_check.h"
#include "text/utf8_check.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

namespace zorbe {
namespace {

struct TCodeRow {
  TCharCode code;
  const char* name;
  TCodeFamily family;
};

// Every code with its name and reader; a code not listed is "none" and no text.
constexpr TCodeRow kCodeRows[] = {
    {ccShiftJis, "S-JIS", TCodeFamily::ShiftJis},
    {ccJis83, "JIS83", TCodeFamily::Jis},
    {ccJis78, "JIS78", TCodeFamily::Jis},
    {ccEuc, "EUC", TCodeFamily::Euc},
    {ccUtf16LE, "Unicode", TCodeFamily::Utf16},
    {ccUtf16BE, "Unicode(BE)", TCodeFamily::Utf16},
    {ccUtf8, "UTF-8", TCodeFamily::Utf8},
    {ccBinary, "BINARY", TCodeFamily::NotText},
    {ccEucJis2004, "EUC-JIS-2004", TCodeFamily::Euc},
    {ccShiftJis2004, "Shift_JIS-2004", TCodeFamily::ShiftJis},
    {ccIso2022Jp3, "ISO-2022-JP-3", TCodeFamily::Jis},
};

const TCodeRow* RowOf(TCharCode code) {
  for (const TCodeRow& row : kCodeRows) {
    if (row.code == code) {
      return &row;
    }
  }
  return nullptr;
}

// The detector's state before anything is known.
constexpr auto kNothingKnown = static_cast<TCharCode>(0);

// The detector's state: nothing known, undecided between EUC and Shift-JIS, or a final result.
//
// The file is scanned as one stream of bytes, fed in pieces: a rule whose bytes run past the end
// of a piece waits for the next one, so a pair split by a block or piece boundary is read as the
// pair the file holds (scanning each 512-byte block from its own first byte read EUC files as
// Shift-JIS when a pair straddled a boundary). The last byte of the file is never the start of a
// rule: it is only seen as the byte after one.
class Detector {
public:
  bool Deciding() const { return state_ == kNothingKnown || state_ == ccUndecided; }
  TCharCode Result() const { return state_ == kNothingKnown ? ccShiftJis : state_; }
  // Whether one of the rules decided (rather than the file ending with nothing decisive).
  bool Decided() const { return !Deciding(); }

  // Scans the next piece of the file; `last`: it ends the file.
  void Scan(std::string_view piece, bool last) {
    std::size_t i = 0;
    if (!pending_.empty()) {
      // The rule that waited: its bytes and enough of the piece to finish it (a rule looks at
      // three bytes at most).
      const std::string joined = pending_ + std::string(piece.substr(0, 3));
      const std::size_t waiting = pending_.size();
      pending_.clear();
      std::size_t j = 0;
      while (Deciding() && j < waiting) {
        j = Step(joined, j, last && piece.size() <= 3);
        if (j == kNeedMore) {
          return;
        }
      }
      if (!Deciding()) {
        return;
      }
      i = j - waiting;
    }
    while (Deciding() && i < piece.size()) {
      i = Step(piece, i, last);
      if (i == kNeedMore) {
        return;
      }
    }
  }

private:
  static constexpr std::size_t kNeedMore = std::string_view::npos;

  static unsigned char At(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]);
  }
  static bool In(unsigned char c, unsigned char lo, unsigned char hi) { return c >= lo && c <= hi; }

  // One step at i: a byte of the look-ahead, or a rule. Returns the index after the last byte it
  // looked at, or kNeedMore after keeping the bytes from i when the rule needs bytes past the
  // end of a text that is not the file's last.
  std::size_t Step(std::string_view text, std::size_t i, bool last) {
    if (lookAhead_) {
      LookAheadByte(At(text, i));
      return i + 1;
    }
    if (i + 1 >= text.size()) {
      return Wait(text, i, last);
    }
    if (At(text, i) == 0x1B && At(text, i + 1) == '$' && i + 2 >= text.size()) {
      return Wait(text, i, last); // ESC $ and the end: the final byte decides
    }
    return ApplyRule(text, i);
  }

  std::size_t Wait(std::string_view text, std::size_t i, bool last) {
    if (last) {
      return text.size(); // the end of the file: nothing more to decide
    }
    pending_ = std::string(text.substr(i));
    return kNeedMore;
  }

  // Applies the rule for the byte at i (the byte after it is in the text) and returns the index
  // after the last byte it looked at.
  std::size_t ApplyRule(std::string_view text, std::size_t i) {
    const unsigned char b = At(text, i);
    if (b == 0x1B) {
      return ApplyEscape(text, i);
    }
    if (b <= 0x07 || b == 0xFF) {
      state_ = ccBinary;
      return i + 1;
    }
    if (b <= 0x7F || b == 0x80 || b == 0xA0) {
      return i + 1;
    }
    if (In(b, 0x81, 0x8D) || In(b, 0x8F, 0x9F)) {
      state_ = ccShiftJis;
      return i + 1;
    }
    if (In(b, 0xF0, 0xFE)) {
      state_ = ccEuc;
      return i + 1;
    }
    ApplyPairRule(b, At(text, i + 1));
    return i + 2;
  }

  // An escape sequence: ESC $ B and ESC $ @ say JIS.
  std::size_t ApplyEscape(std::string_view text, std::size_t i) {
    if (At(text, i + 1) != '$') {
      return i + 2;
    }
    const unsigned char d = At(text, i + 2);
    if (d == 'B') {
      state_ = ccJis83;
    } else if (d == '@') {
      state_ = ccJis78;
    }
    return i + 3;
  }

  // A lead byte 0x8E, 0xA1-0xDF or 0xE0-0xEF: the byte after it decides, if anything does.
  void ApplyPairRule(unsigned char b, unsigned char c) {
    if (b == 0x8E) {
      if (In(c, 0x40, 0x7E) || In(c, 0x80, 0xA0) || In(c, 0xE0, 0xFC)) {
        state_ = ccShiftJis;
      } else if (In(c, 0xA1, 0xDF)) {
        state_ = ccUndecided;
      }
    } else if (In(b, 0xE0, 0xEF)) {
      if (In(c, 0x40, 0x7E) || In(c, 0x80, 0xA0)) {
        state_ = ccShiftJis;
      } else if (In(c, 0xFD, 0xFE)) {
        state_ = ccEuc;
      } else if (In(c, 0xA1, 0xFC)) {
        state_ = ccUndecided;
      }
    } else if (In(c, 0xF0, 0xFE)) {
      // b is 0xA1-0xDF: half-width katakana in Shift-JIS, or the first byte of an EUC pair.
      state_ = ccEuc;
    } else if (In(c, 0xA1, 0xDF)) {
      state_ = ccUndecided;
    } else if (In(c, 0xE0, 0xEF)) {
      state_ = ccUndecided;
      lookAhead_ = true;
    } else if (c <= 0x9F) {
      state_ = ccShiftJis;
    }
  }

  // After a half-width katakana byte followed by 0xE0-0xEF: the bytes that follow decide while
  // they are at least 0x40. The scan goes on after the byte that ended the look-ahead.
  void LookAheadByte(unsigned char d) {
    if (d < 0x40) {
      lookAhead_ = false;
      return;
    }
    if (In(d, 0x81, 0x8D) || In(d, 0x8F, 0x9C)) {
      state_ = ccShiftJis;
    } else if (In(d, 0xFD, 0xFE)) {
      state_ = ccEuc;
    }
    lookAhead_ = state_ == ccUndecided;
  }

  TCharCode state_ = kNothingKnown;
  bool lookAhead_ = false;
  std::string pending_; // the bytes of a rule that waits for the next piece
};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// How far past its first byte 0x80 or above a file is checked for UTF-8 before the check's
// verdict is taken for the whole file: a file is not read to its end just to be listed. The job
// reads every byte anyway and stops, naming the offset, at one that is not UTF-8.
constexpr std::uint64_t kUtf8Window = 64 * 1024;

// The code a byte-order mark at the start names, if there is one.
std::optional<TCharCode> ByteOrderMarkCode(std::string_view firstBlock) {
  if (StartsWith(firstBlock, "\xFF\xFE")) {
    return ccUtf16LE;
  }
  if (StartsWith(firstBlock, "\xFE\xFF")) {
    return ccUtf16BE;
  }
  if (StartsWith(firstBlock, "\xEF\xBB\xBF")) {
    return ccUtf8;
  }
  return std::nullopt;
}

// How much of a file's start is kept for uchardet and the readings: enough to tell a code, small
// enough to look at every file added to the list.
constexpr std::size_t kSampleSize = 64 * 1024;

// The whole detection over a file's bytes, fed in order in pieces:
// - a byte-order mark decides at once (UTF-16 either way, UTF-8); so does a binary byte among
//   the first 511, and then a coding mark of a JIS X 0213 code in the first two lines;
// - the Shift-JIS/JIS/EUC scan runs while it is deciding; beside it the bytes are checked for
//   UTF-8;
// - a text with no byte 0x80 or above, or one that is not UTF-8, has the scan's result;
// - a UTF-8 text with a multi-byte character is UTF-8, unless it has two-byte characters only,
//   fits a Japanese code, and uchardet names that code (a few half-width katakana: Shift-JIS
//   "ﾅア" is C5 83 41, which UTF-8 reads as "ŃA").
class TDetection {
public:
  explicit TDetection(std::uint64_t size) : size_(size) {}

  // Bytes of the file for uchardet and the readings: from a little before its first byte 0x80
  // or above (the file's start when there is none), up to kSampleSize.
  std::string_view Sample() const { return sample_; }

  // The result that the first piece alone decides, if any.
  std::optional<TCharCode> FromStart(std::string_view first) const {
    if (size_ == 0) {
      return ccShiftJis; // text without lines
    }
    if (const std::optional<TCharCode> marked = ByteOrderMarkCode(first)) {
      return marked;
    }
    if (IsBinaryBlock(first)) {
      return ccBinary;
    }
    return CodingMarkCode(first);
  }

  // The next piece; `last`: it ends the file (also when the file ends early).
  void Feed(std::string_view piece, bool last) {
    if (scan_.Deciding()) {
      scan_.Scan(piece, last || fed_ + piece.size() >= size_);
    }
    if (utf8_.MaybeValid()) {
      utf8_.Feed(piece);
    }
    NoteSample(piece);
    fed_ += piece.size();
  }

  // Whether the rest of the file can't change the result.
  bool Done() const { return !scan_.Deciding() && Utf8Settled(); }

  TCharCode Result() {
    const bool utf8 = fed_ >= size_ ? utf8_.Finish() : utf8_.MaybeValid();
    if (!utf8 || !utf8_.SawHighByte()) {
      return scan_.Result();
    }
    if (utf8_.SawLongSequence()) {
      return ccUtf8;
    }
    const TCharCode japanese = UchardetJapaneseCode(sample_);
    return japanese != ccUndecided ? japanese : ccUtf8;
  }

private:
  bool Utf8Settled() const {
    return !utf8_.MaybeValid() ||
           (utf8_.SawHighByte() && utf8_.Fed() - utf8_.FirstHighByte() >= kUtf8Window);
  }

  void NoteSample(std::string_view piece) {
    if (!sampleHigh_) {
      const auto high = std::find_if(piece.begin(), piece.end(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
      if (high == piece.end()) {
        if (sample_.size() < kSampleSize) {
          sample_.append(piece.substr(0, kSampleSize - sample_.size()));
        }
        return;
      }
      // The sample starts again shortly before the first high byte.
      const auto at = static_cast<std::size_t>(high - piece.begin());
      const std::size_t from = at > kSampleLead ? at - kSampleLead : 0;
      sample_.assign(piece.substr(from, kSampleSize));
      sampleHigh_ = true;
      return;
    }
    if (sample_.size() < kSampleSize) {
      sample_.append(piece.substr(0, kSampleSize - sample_.size()));
    }
  }

  static constexpr std::size_t kSampleLead = 1024;
  std::uint64_t size_;
  std::uint64_t fed_ = 0;
  Detector scan_;
  TUtf8Check utf8_;
  std::string sample_;
  bool sampleHigh_ = false;
};

// A legacy result of a text that uchardet takes for a European (or other single-byte) code and
// that holds no Japanese in any reading: refused with a message, as no Japanese text.
bool RefusedAsForeign(TCharCode result, std::string_view sample, const std::string& fileName,
                      const MessageSink& onError) {
  if (result != ccShiftJis && result != ccEuc && result != ccUndecided) {
    return false;
  }
  const std::string foreign = ForeignSingleByteCode(sample);
  if (foreign.empty()) {
    return false;
  }
  if (onError) {
    onError(ForeignCodeMessage(fileName, foreign));
  }
  return true;
}

// Reads up to size bytes at offset; returns the count read. A file that fails to read is
// examined as far as it was read.
std::size_t ReadAt(const TReadFile& file, char* buffer, std::size_t size, std::uint64_t offset) {
  try {
    return file.ReadAt(buffer, size, offset);
  } catch (const EFileError&) {
    return 0;
  }
}

std::string OpenErrorMessage(const std::string& fileName) {
  return "ファイル「" + fileName + "」は存在しないか使用中です。";
}

} // namespace

TFileBlock ReadFileBlock(const std::string& fileName, std::uint64_t offset,
                         const MessageSink& onError) {
  TFileBlock result;
  // A plain file that opens; a folder, a device or a pipe is not a text file to examine.
  const std::optional<TReadFile> file = TReadFile::PlainFile(fileName);
  if (!file) {
    if (onError) {
      onError(OpenErrorMessage(fileName));
    }
    return result;
  }
  result.size = file->Size();
  result.bytes.resize(kDetectBlockSize);
  result.bytes.resize(ReadAt(*file, result.bytes.data(), kDetectBlockSize, offset));
  return result;
}

bool IsBinaryBlock(std::string_view firstBlock) {
  if (ByteOrderMarkCode(firstBlock)) {
    return false;
  }
  // Positions 1 to 511 of the first block, but never its last byte.
  for (std::size_t i = 0; i < kDetectBlockSize - 1 && i + 1 < firstBlock.size(); ++i) {
    const auto b = static_cast<unsigned char>(firstBlock[i]);
    if (b <= 0x07 || b == 0xFF) {
      return true;
    }
  }
  return false;
}

TCharCode DetectCharCodeOfBytes(std::string_view bytes, const std::string& name,
                                const MessageSink& onError) {
  TDetection detection(bytes.size());
  if (const std::optional<TCharCode> early = detection.FromStart(bytes)) {
    return *early;
  }
  detection.Feed(bytes, true);
  const TCharCode result = detection.Result();
  if (RefusedAsForeign(result, detection.Sample(), name, onError)) {
    return ccEmptyOrUnreadable;
  }
  return result == ccUndecided ? SecondOpinion(bytes) : result;
}

TCharCode DetectCharCode(const std::string& fileName, const MessageSink& onError) {
  const std::optional<TReadFile> file = TReadFile::PlainFile(fileName);
  if (!file) {
    if (onError) {
      onError(OpenErrorMessage(fileName));
    }
    return ccEmptyOrUnreadable;
  }
  const std::uint64_t size = file->Size();
  // One open file and large reads; the blocks are still scanned 512 bytes at a time.
  constexpr std::size_t kChunk = 1 << 20;
  static_assert(kChunk % kDetectBlockSize == 0);
  auto chunk = std::make_unique<char[]>(kChunk);
  TDetection detection(size);
  if (size == 0) {
    return *detection.FromStart({});
  }
  for (std::uint64_t offset = 0; offset < size && !detection.Done(); offset += kChunk) {
    const std::size_t length = ReadAt(*file, chunk.get(), kChunk, offset);
    const std::string_view piece(chunk.get(), length);
    if (offset == 0) {
      if (const std::optional<TCharCode> early = detection.FromStart(piece)) {
        return *early;
      }
    }
    detection.Feed(piece, length < kChunk);
    if (length < kChunk) {
      break; // the file ends early (it shrank since its size was taken)
    }
  }
  const TCharCode result = detection.Result();
  if (RefusedAsForeign(result, detection.Sample(), fileName, onError)) {
    return ccEmptyOrUnreadable;
  }
  if (result != ccUndecided) {
    return result;
  }
  // Undecided between EUC and Shift-JIS: the second opinion reads the file once more.
  TSecondOpinion opinion;
  for (std::uint64_t offset = 0; offset < size; offset += kChunk) {
    const std::size_t length = ReadAt(*file, chunk.get(), kChunk, offset);
    opinion.Feed({chunk.get(), length});
    if (length < kChunk) {
      break;
    }
  }
  return opinion.Result();
}

TCodeFamily FamilyOf(TCharCode code) {
  const TCodeRow* row = RowOf(code);
  return row != nullptr ? row->family : TCodeFamily::NotText;
}

std::string CharCodeName(TCharCode code) {
  const TCodeRow* row = RowOf(code);
  return row != nullptr ? row->name : "none";
}

void CollectFolderFiles(const std::string& folder, std::vector<std::string>& list, bool byName) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const std::string base = (!folder.empty() && folder.back() == '/') ? folder : folder + "/";
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
    entries.push_back(*it);
  }
  if (byName) {
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
      return a.path().filename().string() < b.path().filename().string();
    });
  }
  for (const fs::directory_entry& entry : entries) {
    std::error_code typeError;
    if (entry.is_symlink(typeError) && entry.is_directory(typeError)) {
      continue;
    }
    const std::string name = base + entry.path().filename().string();
    if (entry.is_directory(typeError)) {
      CollectFolderFiles(name, list, byName);
    } else {
      list.push_back(name);
    }
  }
}

} // namespace zorbe
