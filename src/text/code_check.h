#pragma once
// Whether a file's bytes are what its detected code says, and a second opinion on files the
// detector leaves undecided between EUC and Shift-JIS.
//
// The detector decides at the first decisive byte; a decision must still decode the whole file,
// so a job checks the bytes it reads against the code before converting them (CheckCode): a
// file whose bytes don't fit the detected code takes the one other legacy code that fits them,
// and is refused when none does, naming the offset. Nothing is ever sorted in a code its bytes
// are not in.
//
// "Fits" is permissive, as real files are:
//   Shift-JIS: single bytes 0x00-0x7F and 0xA1-0xDF; a lead byte 0x81-0x9F or 0xE0-0xFC with a
//     trail byte 0x40-0x7E or 0x80-0xFC, whether or not the cell is assigned (NEC and IBM rows,
//     the user-defined area 0xF0-0xF9); a lone lead byte at the very end. Not 0x80, 0xA0,
//     0xFD-0xFF, nor a lead byte with any other byte after it.
//   EUC-JP: bytes 0x00-0x7F; pairs of 0xA1-0xFE (rows 0xF5-0xFE too); 0x8E with 0xA1-0xDF;
//     0x8F with a pair of 0xA1-0xFE (JIS X 0212). Nothing else, and no pair cut by the end.
//   JIS: escape sequences switch modes; in two-byte mode every byte is 0x21-0x7E or a control
//     byte. Bytes 0x80 and above in one-byte mode are passed on as Shift-JIS, as the converter
//     does.
//
// The second opinion (SecondOpinion) asks the uchardet library first; its answers other than
// EUC-JP and Shift-JIS (GB18030 for kana-only EUC, since GB2312 holds kana at A4/A5 too) count
// as undecided and fall to a statistic over the file's bytes read as EUC pairs: in EUC-JP text
// the kana rows (pairs A4xx hiragana, A5xx katakana) make up a large share of the pairs, while in
// Shift-JIS half-width katakana the bytes A4 (､) and A5 (･) are rare punctuation. A quarter or
// more of the pairs in the kana rows is EUC, a twentieth or less is Shift-JIS, anything between
// stays undecided; so does a file whose high bytes can't all be EUC pairs or can't be Shift-JIS.

#include "text/char_code.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zorbe {

// The offset of the first byte that doesn't fit the code, or npos (also for a code that is no
// legacy code: Unicode text is checked by its own converters).
std::size_t FirstUnfitByte(std::string_view bytes, TCharCode code);

struct TCheckedCode {
  TCharCode code; // the code to read the bytes in; ccUndecided: refuse
  // With ccUndecided: the first byte no code fits, or npos when more than one code fits and
  // the second opinion can't choose.
  std::size_t unfitAt = std::string::npos;
};

// The code to read a file's bytes in, given the code the detector chose: that code when the
// bytes fit it; otherwise the one other legacy code they fit (the second opinion chooses when
// both Shift-JIS and EUC do); otherwise ccUndecided with the offset where the last code failed.
TCheckedCode CheckCode(std::string_view bytes, TCharCode detected);

// The second opinion on the bytes of an undecided file, fed in pieces: ccEuc, ccShiftJis, or
// ccUndecided when it is still ambiguous.
class TSecondOpinion {
public:
  TSecondOpinion();
  ~TSecondOpinion();
  TSecondOpinion(const TSecondOpinion&) = delete;
  TSecondOpinion& operator=(const TSecondOpinion&) = delete;

  void Feed(std::string_view piece);
  TCharCode Result();

private:
  void* detector_; // the library's handle
  std::size_t pairs_ = 0;
  std::size_t kanaPairs_ = 0;
  bool eucPossible_ = true;
  int pending_ = 0; // bytes still owed to an EUC sequence
  unsigned char lead_ = 0;
};

TCharCode SecondOpinion(std::string_view bytes);

// What uchardet names the bytes' code ("UTF-8", "SHIFT_JIS", "ISO-8859-1"...; empty when it
// can't tell), in capitals.
std::string UchardetName(std::string_view bytes);

// The Japanese code that uchardet names for the bytes (ccShiftJis or ccEuc) when the bytes fit
// it, else ccUndecided: a text that is UTF-8 too is Japanese only when both say so.
TCharCode UchardetJapaneseCode(std::string_view bytes);

// uchardet's name for bytes it takes for a single-byte code of another language (ISO-8859-x,
// Windows-125x and their kind), when no Japanese reading of them holds Japanese (kana, or a
// text that is mostly kanji); empty otherwise. Such a file is no Japanese text to sort.
std::string ForeignSingleByteCode(std::string_view bytes);
// "「name」は日本語の文字コードではありません（uchardet の判定: ISO-8859-1）。"
std::string ForeignCodeMessage(const std::string& fileName, const std::string& uchardetName);

// The JIS X 0213 code an Emacs-style coding mark in the text's first two lines names
// ("coding: euc-jis-2004", as the skkdic files write it; also euc-jisx0213, shift_jis-2004,
// shift_jisx0213, iso-2022-jp-3, iso-2022-jp-2004), else nothing: the bytes alone can't tell
// EUC-JIS-2004 from CP932's IBM and user-defined rows. Other codes named there change nothing.
std::optional<TCharCode> CodingMarkCode(std::string_view start);

// "「name」はEUCかShift-JISか判定できません。"
std::string AmbiguousCodeMessage(const std::string& fileName);
// The file's bytes fit no Japanese code: names the file and the offset, and ends the job.
std::string UnfitBytesMessage(const std::string& fileName, std::size_t offset);

} // namespace zorbe
