#pragma once
// A sort job's inputs in the internal form (CP932 bytes), whatever their character code.
//
// Before the job reads its first target, every input that may hold a character CP932 can't
// hold, or holds only under another character's code, is looked at once: the Unicode targets,
// the auxiliary files in a Unicode code and the comment prefixes (a settings text, UTF-8). When
// one of them holds such a character, the Shift-JIS, JIS and EUC inputs are looked at too, for
// the user-defined and shared codes they use. When the output may be UTF-8, the JIS X 0212
// characters of the EUC and JIS inputs are noted as well, so that they are read as themselves,
// and the shared codes of those inputs count for the characters iconv's EUC-JP reads them as
// (〜 U+301C, not CP932's ～ U+FF5E), so that their UTF-8 output is what iconv gives.
// The job's code table (text/code_table.h) is
// settled from that census, and every input is then read through it, so that targets and
// auxiliary files agree on every character.
//
// Auxiliary files (deletion list, replacement rules, synonym and look-alike dictionaries) are
// detected like targets; one whose code stays undecided, or that is no text, is read as
// Shift-JIS. A file that is not what its code says ends the job with a message naming it and
// the offset of the first byte that doesn't fit.

#include "settings/setting_option_items.h"
#include "text/char_code.h"
#include "text/code_table.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

class TJobTexts {
public:
  // Takes the census of the targets (with their codes; `readAhead` holds the bytes of those that
  // can't be read again, by index) and of the setting's auxiliary files and comment prefixes.
  // Throws EFileError naming a file that is not what its code says, or the count of characters
  // when they need more per-job codes than there are.
  TJobTexts(const std::vector<std::string>& files, const std::vector<TCharCode>& codes,
            const TSettingOptionItems& setting,
            const std::map<std::size_t, std::string>& readAhead = {});

  const TCodeTable& Table() const { return table_; }
  // The comment prefixes (CLTC) in the internal form.
  const std::string& CommentPrefixes() const { return commentPrefixes_; }

  // An auxiliary file in the internal form. Throws EFileError.
  std::string ReadAuxiliary(const std::string& fileName) const;

  // A Unicode target read whole into `bytes`, converted in place to the internal form without
  // its byte-order mark; returns the new size. Throws EFileError. A piece of whole lines from
  // `offset` on (a large file read a piece at a time) has no byte-order mark unless it starts
  // the file, and errors count its bytes from there.
  std::size_t ConvertUnicode(const std::string& fileName, TCharCode code, char* bytes,
                             std::size_t size, std::uint64_t offset = 0) const;
  // The codes EUC and JIS targets read their JIS X 0212 characters in when the output keeps them
  // (UTF-8), or nullptr: they are 〓 then.
  const std::uint16_t* JisX0212Codes() const { return table_.JisX0212Codes(); }
  // Whether a Shift-JIS (or, `eucMeanings`, a JIS or EUC) text, once in the internal form, must
  // be rewritten to use the job's codes (RewriteInternal of the table).
  bool RewritesInternal(bool eucMeanings) const { return table_.RewritesInternal(eucMeanings); }

private:
  TCharCode AuxiliaryCode(const std::string& fileName) const;

  bool keepsJisX0212_ = false;
  std::map<std::string, TCharCode> auxiliaryCodes_;
  TCodeTable table_;
  std::string commentPrefixes_;
};

// The code to read a target's bytes in: the detected code when its bytes fit it, else the one
// other Japanese code they fit (text/code_check.h). Throws EFileError naming the file, and the
// offset of the first byte no code fits, when none does or the codes that do can't be told
// apart. Unicode codes are returned as they are: their converters check the bytes.
TCharCode CheckedTargetCode(const std::string& fileName, TCharCode detected,
                            std::string_view bytes);

// The characters of the targets that Shift-JIS can't hold and that became 〓 (JIS X 0212 from
// EUC or JIS files), so that the user is told: how many, and the first one's file and line.
class TSubstitutions {
public:
  // Notes a target's bytes as read, in the code they are read in; `keepsJisX0212`: its JIS X
  // 0212 characters are read as themselves. `linesBefore`: the file's lines before these bytes
  // (a large file is read a piece at a time).
  void Note(const std::string& fileName, TCharCode code, std::string_view bytes,
            bool keepsJisX0212 = false, std::uint64_t linesBefore = 0);
  // The warning for the user; empty when nothing was replaced.
  std::string Warning() const;

private:
  std::size_t count_ = 0;
  std::string firstFile_;
  std::size_t firstLine_ = 0;
};

// The line (from 1) of an offset in a text: CR, LF and CR LF each end one line.
std::size_t LineOfOffset(std::string_view text, std::size_t offset);

} // namespace zorbe
