#pragma once
// The input stage of a sort job: every text the job reads, in the internal form of the cycle's
// codec (text/internal_codec.h), each read once.
//
// A target is converted where it was read into the job's space (text/internal_input.h), a large
// one in two halves on two threads; what needs more room than the text's own bytes goes after
// it. The auxiliary files (deletion list, replacement rules, synonym and look-alike dictionaries)
// are detected like targets (one whose code stays undecided, or that is no text, is read as
// Shift-JIS) and converted the same way, as is the comment prefix setting (UTF-8). A cycle's
// output code decides the codec, so with NoConnected each cycle may have its own; what the job
// made of the auxiliaries for one codec is kept for the next cycle with it.
//
// A file that is not what its code says ends the job with a message naming it and the offset
// of the first byte that doesn't fit. A character the output can't write is held like any other
// (a replacement rule may still change it); the job refuses it before it writes, naming the
// file, the line and the character (CheckWritable).

#include "engine/line_store.h"
#include "settings/setting_option_items.h"
#include "text/char_code.h"
#include "text/internal_codec.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace zorbe {

// A target's text made the internal form, and the offset in it of the first character the
// output can't write (npos when none).
struct TInternalTarget {
  TSpaceText text;
  std::size_t firstUnwritable = std::string::npos;
};

class TJobInput {
public:
  // Detects the codes of the setting's auxiliary files.
  explicit TJobInput(const TSettingOptionItems& setting);

  // The output code of the cycle that starts, which decides the codec. The codec's tables are
  // built the first time a text needs them: a Shift-JIS job that writes Shift-JIS never does.
  void UseOutput(TOutputCode output) { output_ = output; }
  TOutputCode Output() const { return output_; }
  const TInternalCodec& Codec() const { return TInternalCodec::For(output_); }

  // The comment prefixes (CLTC) in the internal form. Throws EFileError when the setting is no
  // UTF-8.
  std::string CommentPrefixes() const;
  // An auxiliary file in the internal form. Throws EFileError.
  std::string ReadAuxiliary(const std::string& fileName) const;

  // A target's text read in `code` (its bytes fit it: CheckedTargetCode), the space's newest
  // allocation, made the internal form in place. A piece of whole lines of a large file starts
  // at `offset` in it, after `linesBefore` lines: it has no byte-order mark unless it starts the
  // file, and messages count from there. Throws EFileError.
  TInternalTarget TargetToInternal(TTextSpace& space, const std::string& fileName, TCharCode code,
                                   TSpaceText text, std::uint64_t offset = 0,
                                   std::uint64_t linesBefore = 0);

  // Throws EFileError naming the file, the line and the character when the text holds one the
  // output can't write: the first at `first` or after it (a text without one costs nothing when
  // `first` is npos, which TargetToInternal says).
  void CheckWritable(std::string_view text, const std::string& fileName, std::uint64_t linesBefore,
                     std::size_t first = 0) const;

  // The warning for the user about JIS X 0212 characters written as 〓; empty when none were.
  std::string Warning() const;

private:
  std::string Converted(std::string_view bytes, TCharCode code, const std::string& fileName) const;

  std::map<std::string, TCharCode> auxiliaryCodes_;
  std::string commentPrefixes_; // as the setting holds them, UTF-8
  TOutputCode output_ = TOutputCode::ShiftJis;
  // 〓 substitutions: how many, and the first one's file and line.
  std::uint64_t substituted_ = 0;
  std::string firstSubstitutedFile_;
  std::uint64_t firstSubstitutedLine_ = 0;
};

// The code to read a target's bytes in: the detected code when its bytes fit it, else the one
// other Japanese code they fit (text/code_check.h). Throws EFileError naming the file, and the
// offset of the first byte no code fits, when none does or the codes that do can't be told
// apart. Unicode codes are returned as they are: their converters check the bytes.
TCharCode CheckedTargetCode(const std::string& fileName, TCharCode detected,
                            std::string_view bytes);

// The line (from 1) of an offset in a text: CR, LF and CR LF each end one line.
std::size_t LineOfOffset(std::string_view text, std::size_t offset);

} // namespace zorbe
