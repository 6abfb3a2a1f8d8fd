// A job's inputs in the internal form (see job_texts.h).

#include "engine/job_texts.h"

#include "engine/line_store.h"
#include "engine/two_threads.h"
#include "platform/file_system.h"
#include "text/code_check.h"
#include "text/code_conversion.h"
#include "text/jis_code.h"
#include "text/unicode_conversion.h"
#include "text/utf8_decode.h"

#include <algorithm>
#include <cstring>

namespace zorbe {
namespace {

constexpr std::size_t kUtf16ByteOrderMarkSize = 2;
constexpr std::size_t kCensusPiece = std::size_t{8} << 20;
// A UTF-8 text at least this large is noted, and converted, by two threads, a half each.
constexpr std::size_t kTextForTwoThreads = std::size_t{1} << 20;

std::string NotInCodeMessage(const std::string& file, const char* codeName, std::size_t offset) {
  return "「" + file + "」は " + codeName + " として正しくないバイトを含んでいます（オフセット " +
         std::to_string(offset) + "）。\r\n処理を中止します。";
}

std::string ChangedMessage(const std::string& file) {
  return "「" + file + "」がソート中に書き換えられました。\r\n処理を中止します。";
}

// The mark at the start of a Unicode text, when it has one: a text whose code the user named
// may have none.
std::size_t ByteOrderMarkSize(std::string_view bytes, TCharCode code) {
  if (code == ccUtf8) {
    return bytes.starts_with(kUtf8ByteOrderMark) ? kUtf8ByteOrderMark.size() : 0;
  }
  if (FamilyOf(code) != TCodeFamily::Utf16) {
    return 0;
  }
  return bytes.starts_with(code == ccUtf16BE ? "\xFE\xFF" : "\xFF\xFE") ? kUtf16ByteOrderMarkSize
                                                                        : 0;
}

// The number of bytes at the end of a UTF-8 text that start a character the text doesn't finish.
std::size_t UnfinishedTail(std::string_view text) {
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto b = static_cast<unsigned char>(text[text.size() - back]);
    if ((b & 0xC0) == 0x80) {
      continue; // a continuation byte: its lead is further back
    }
    const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return length > back ? back : 0;
  }
  return 0;
}

// An offset near the middle of a UTF-8 text where a character starts: the start of the
// character that holds the middle. (In a text that is no UTF-8 there, any offset within three
// bytes before it: the first half then holds the fault.)
std::size_t MiddleOfUtf8(std::string_view text) {
  std::size_t middle = text.size() / 2;
  for (int back = 0; back < 3 && (static_cast<unsigned char>(text[middle]) & 0xC0) == 0x80;
       ++back) {
    --middle;
  }
  return middle;
}

// NoteUtf8 of `census`, with a large text's second half noted in `second` on another thread.
std::size_t NoteUtf8Halves(TCodeCensus& census, TCodeCensus& second, std::string_view text,
                           bool ruleFile) {
  if (text.size() < kTextForTwoThreads) {
    return census.NoteUtf8(text, ruleFile);
  }
  const std::size_t middle = MiddleOfUtf8(text);
  std::size_t bad[2];
  RunBoth([&] { bad[0] = census.NoteUtf8(text.substr(0, middle), ruleFile); },
          [&] { bad[1] = second.NoteUtf8(text.substr(middle), ruleFile); });
  if (bad[0] != std::string_view::npos) {
    return bad[0];
  }
  return bad[1] == std::string_view::npos ? bad[1] : middle + bad[1];
}

// Utf8ToInternal in place; a large text's halves are converted on two threads, each where it
// lies, and the second one's output is then moved to follow the first one's.
TConversion Utf8ToInternalInPlace(char* text, std::size_t size, const TCodeTable& table) {
  if (size < kTextForTwoThreads) {
    return Utf8ToInternal(text, size, text, table);
  }
  const std::size_t middle = MiddleOfUtf8({text, size});
  TConversion halves[2];
  RunBoth([&] { halves[0] = Utf8ToInternal(text, middle, text, table); },
          [&] { halves[1] = Utf8ToInternal(text + middle, size - middle, text + middle, table); });
  if (halves[0].fault) {
    return halves[0];
  }
  std::memmove(text + halves[0].size, text + middle, halves[1].size);
  TConversion whole{halves[0].size + halves[1].size, halves[1].fault};
  if (whole.fault) {
    whole.fault->offset += middle;
  }
  return whole;
}

// Notes a UTF-8 file in the census a piece at a time, so that a large file is never held. A
// character cut by the end of a piece is carried over and finished with the first bytes of the
// next one.
void NoteUtf8File(TCodeCensus& census, const std::string& file, bool ruleFile) {
  TCodeCensus second;                      // the second halves of the pieces
  std::string carry;                       // the unfinished character at the end of the last piece
  std::size_t offset = 0;                  // the file offset of the next byte to note
  auto note = [&](std::string_view text) { // whole characters
    if (offset == 0 && text.starts_with(kUtf8ByteOrderMark)) {
      text.remove_prefix(kUtf8ByteOrderMark.size());
      offset = kUtf8ByteOrderMark.size();
    }
    if (const std::size_t bad = NoteUtf8Halves(census, second, text, ruleFile);
        bad != std::string_view::npos) {
      throw EFileError(NotInCodeMessage(file, "UTF-8", offset + bad));
    }
    offset += text.size();
  };
  ReadFilePieces(file, kCensusPiece, [&](std::string_view piece) {
    if (!carry.empty()) {
      // No character takes more than four bytes: a longer carry is no UTF-8, which noting tells.
      while (!piece.empty() && carry.size() < 4 && UnfinishedTail(carry) != 0) {
        carry += piece.front();
        piece.remove_prefix(1);
      }
      if (carry.size() < 4 && UnfinishedTail(carry) != 0) {
        return; // still unfinished: the piece was that short
      }
      note(carry);
      carry.clear();
    }
    const std::size_t finished = piece.size() - UnfinishedTail(piece);
    note(piece.substr(0, finished));
    carry = piece.substr(finished);
  });
  if (!carry.empty()) {
    throw EFileError(NotInCodeMessage(file, "UTF-8", offset)); // the file ends inside it
  }
  census.Merge(second);
}

// The same for the bytes of a file read ahead (a pipe, which can't be read again).
void NoteUtf8Bytes(TCodeCensus& census, const std::string& file, std::string_view bytes) {
  const std::size_t mark = ByteOrderMarkSize(bytes, ccUtf8);
  TCodeCensus second;
  if (const std::size_t bad = NoteUtf8Halves(census, second, bytes.substr(mark), false);
      bad != std::string_view::npos) {
    throw EFileError(NotInCodeMessage(file, "UTF-8", mark + bad));
  }
  census.Merge(second);
}

void NoteUtf16Bytes(TCodeCensus& census, const std::string& file, std::string_view bytes,
                    TCharCode code, bool ruleFile) {
  const std::size_t mark = ByteOrderMarkSize(bytes, code);
  std::string utf8;
  if (const auto fault =
          Utf16ToUtf8(std::string_view(bytes).substr(mark), code == ccUtf16BE, utf8)) {
    throw EFileError(NotInCodeMessage(file, "UTF-16", mark + fault->offset));
  }
  census.NoteUtf8(utf8, ruleFile);
}

// A Shift-JIS, JIS or EUC file's bytes in the internal form, read in the code its bytes fit. A
// target that fits none ends the job; an auxiliary file is read as Shift-JIS then, as it always
// was.
TCharCode LegacyCode(std::string_view text, const std::string& file, TCharCode code, bool target) {
  if (target) {
    return CheckedTargetCode(file, code, text);
  }
  const TCheckedCode checked = CheckCode(text, code);
  return checked.code != ccUndecided ? checked.code : ccShiftJis;
}

// Whether a text read in this code holds JIS X 0208 characters as iconv's EUC-JP means them.
bool HasEucMeanings(TCharCode code) {
  return FamilyOf(code) == TCodeFamily::Jis || FamilyOf(code) == TCodeFamily::Euc;
}

// Whether an EUC or JIS file's bytes may hold a code that iconv's EUC-JP reads as another
// character than CP932 (TCp932Tables::eucMeanings): a walk over the EUC characters as the
// converter takes them, so that the usual file, which holds none, is not converted twice. JIS
// text is always looked at.
bool MayHoldEucMeanings(std::string_view bytes, TCharCode code) {
  if (FamilyOf(code) != TCodeFamily::Euc) {
    return true;
  }
  static const std::vector<bool> pairs = [] {
    std::vector<bool> marked(0x10000);
    for (const auto& [shared, meaning] : TCp932Tables::Get().eucMeanings) {
      const TJisCode jis = JisOfSjis(static_cast<unsigned char>(shared >> 8),
                                     static_cast<unsigned char>(shared & 0xFF));
      marked[(jis.row | 0x80) << 8 | (jis.cell | 0x80)] = true;
    }
    return marked;
  }();
  const auto* const p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  auto isEuc = [](unsigned char c) { return c >= 0xA1 && c <= 0xFE; };
  for (std::size_t i = 0; i < n;) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      i += utf8::AsciiPrefix(p + i, p + n);
      continue;
    }
    const unsigned char next = i + 1 < n ? p[i + 1] : 0;
    if (isEuc(b) && isEuc(next)) {
      if (pairs[b << 8 | next]) {
        return true;
      }
      i += 2;
    } else if (b == 0x8E && next >= 0xA1 && next <= 0xDF) {
      i += 2;
    } else if (b == 0x8F && isEuc(next) && i + 2 < n && isEuc(p[i + 2])) {
      i += 3;
    } else {
      ++i;
    }
  }
  return false;
}

// A text in the code LegacyCode chose, in the internal form. `jisX0212`: the job's codes of JIS
// X 0212 characters, or nullptr for 〓.
std::string LegacyInternal(std::string text, TCharCode code,
                           const std::uint16_t* jisX0212 = nullptr) {
  if (FamilyOf(code) == TCodeFamily::Jis) {
    text.resize(JisToSjisInPlace(text.data(), text.size(), jisX0212));
  } else if (FamilyOf(code) == TCodeFamily::Euc) {
    text.resize(EucToSjisInPlace(text.data(), text.size(), jisX0212));
  }
  return text;
}

// Notes the JIS X 0212 characters of a JIS or EUC file; returns whether it holds any.
bool NoteJisX0212(TCodeCensus& census, std::string_view text, const std::string& file,
                  TCharCode code, bool target) {
  if (text.find('\x8F') == std::string_view::npos && text.find('\x1B') == std::string_view::npos) {
    return false; // no EUC single shift 3, no escape sequence: no JIS X 0212 character
  }
  code = LegacyCode(text, file, code, target);
  bool found = false;
  ForEachSupplementary(text, code,
                       [&](std::size_t, unsigned char row, unsigned char cell, bool plane2) {
                         if (!plane2) {
                           census.NoteJisX0212(row, cell);
                           found = true;
                         }
                       });
  return found;
}

bool HasNonAscii(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// A UTF-8 or UTF-16 text, `bytes` after its byte-order mark, to the internal form at `out`
// (which may be `bytes` itself for UTF-8). `mark` is the size of the mark, for offsets.
std::size_t UnicodeToInternal(const std::string& file, TCharCode code, std::string_view bytes,
                              std::size_t mark, char* out, const TCodeTable& table) {
  std::string utf8;
  std::string_view source = bytes;
  if (FamilyOf(code) == TCodeFamily::Utf16) {
    if (const auto fault = Utf16ToUtf8(bytes, code == ccUtf16BE, utf8)) {
      throw EFileError(NotInCodeMessage(file, "UTF-16", mark + fault->offset));
    }
    source = utf8;
  }
  const TConversion converted = source.data() == out
                                    ? Utf8ToInternalInPlace(out, source.size(), table)
                                    : Utf8ToInternal(source.data(), source.size(), out, table);
  if (!converted.fault) {
    return converted.size;
  }
  if (converted.fault->character != kNoCharacter || source.data() != bytes.data()) {
    throw EFileError(ChangedMessage(file)); // the census saw other bytes
  }
  throw EFileError(NotInCodeMessage(file, "UTF-8", mark + converted.fault->offset));
}

// Whether a file detected in this code may be read as JIS or EUC, which may hold characters
// Shift-JIS has no form for. A Shift-JIS file whose bytes are EUC is read as EUC too.
bool HasSupplementaryCharacters(TCharCode code) {
  return !IsUnicodeCode(code) && IsTextCode(code);
}

// Whether the job's outputs keep JIS X 0212 characters: UTF-8 output, set or automatic (when a
// target is in a Unicode code).
bool KeepsJisX0212(const std::vector<TCharCode>& codes, const TSettingOptionItems& setting) {
  if (setting.OutputCode == ocUtf8) {
    return true;
  }
  return setting.OutputCode != ocShiftJis && setting.OutputCode != ocEucJp &&
         std::any_of(codes.begin(), codes.end(), IsUnicodeCode);
}

} // namespace

TJobTexts::TJobTexts(const std::vector<std::string>& files, const std::vector<TCharCode>& codes,
                     const TSettingOptionItems& setting,
                     const std::map<std::size_t, std::string>& readAhead)
    : keepsJisX0212_(KeepsJisX0212(codes, setting)) {
  const std::pair<const std::string*, bool> auxiliaries[] = {
      {&setting.DelChars, false},
      {&setting.Replacement, true},
      {&setting.SynonymDic, true},
      {&setting.FuzzyCharDic, true},
  };
  for (const auto& [name, ruleFile] : auxiliaries) {
    if (FileExists(*name)) {
      const TCharCode code = DetectCharCode(*name);
      auxiliaryCodes_[*name] = IsTextCode(code) ? code : ccShiftJis;
    }
  }
  auto codeOf = [&codes](std::size_t i) { return i < codes.size() ? codes[i] : ccShiftJis; };
  // A target's bytes: those read ahead, or the file's.
  auto bytesOf = [&](std::size_t i) {
    const auto found = readAhead.find(i);
    return found != readAhead.end() ? found->second : ReadWholeFile(files[i]);
  };
  TCodeCensus census;
  bool unicode = HasNonAscii(setting.CLTC);
  if (census.NoteUtf8(setting.CLTC) != std::string_view::npos) {
    throw EFileError("コメント行頭文字「" + setting.CLTC +
                     "」は UTF-8 として正しくありません。\r\n処理を中止します。");
  }
  auto noteUnicode = [&](const std::string& file, TCharCode code, bool ruleFile) {
    if (code == ccUtf8) {
      NoteUtf8File(census, file, ruleFile);
    } else {
      NoteUtf16Bytes(census, file, ReadWholeFile(file), code, ruleFile);
    }
    unicode = true;
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!IsUnicodeCode(codeOf(i))) {
      continue;
    }
    const auto found = readAhead.find(i);
    if (found == readAhead.end()) {
      noteUnicode(files[i], codeOf(i), false);
      continue;
    }
    if (codeOf(i) == ccUtf8) {
      NoteUtf8Bytes(census, files[i], found->second);
    } else {
      NoteUtf16Bytes(census, files[i], found->second, codeOf(i), false);
    }
    unicode = true;
  }
  for (const auto& [name, ruleFile] : auxiliaries) {
    if (const auto found = auxiliaryCodes_.find(*name);
        found != auxiliaryCodes_.end() && IsUnicodeCode(found->second)) {
      noteUnicode(*name, found->second, ruleFile);
    }
  }
  if (keepsJisX0212_) {
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (HasSupplementaryCharacters(codeOf(i))) {
        unicode = NoteJisX0212(census, bytesOf(i), files[i], codeOf(i), true) || unicode;
      }
    }
    for (const auto& [name, code] : auxiliaryCodes_) {
      if (HasSupplementaryCharacters(code)) {
        unicode = NoteJisX0212(census, ReadWholeFile(name), name, code, false) || unicode;
      }
    }
  }
  // Under UTF-8 output an EUC or JIS file's 〜 is iconv's U+301C, not CP932's U+FF5E: the
  // legacy texts are noted for the forms they mean when an EUC or JIS one may hold such a code.
  bool eucMeanings = false;
  if (keepsJisX0212_) {
    for (std::size_t i = 0; i < files.size() && !eucMeanings; ++i) {
      eucMeanings = HasEucMeanings(codeOf(i)) && MayHoldEucMeanings(bytesOf(i), codeOf(i));
    }
    for (const auto& [name, code] : auxiliaryCodes_) {
      eucMeanings =
          eucMeanings || (HasEucMeanings(code) && MayHoldEucMeanings(ReadWholeFile(name), code));
    }
  }
  if (census.NeedsInternalTexts() || eucMeanings) {
    auto note = [&](std::string bytes, const std::string& file, TCharCode code, bool target) {
      code = LegacyCode(bytes, file, code, target);
      census.NoteInternal(LegacyInternal(std::move(bytes), code), HasEucMeanings(code));
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (!IsUnicodeCode(codeOf(i))) {
        note(bytesOf(i), files[i], codeOf(i), true);
      }
    }
    for (const auto& [name, code] : auxiliaryCodes_) {
      if (!IsUnicodeCode(code)) {
        note(ReadWholeFile(name), name, code, false);
      }
    }
    unicode = unicode || eucMeanings;
  }
  if (unicode) {
    table_ = TCodeTable(census);
  }
  commentPrefixes_ = setting.CLTC;
  commentPrefixes_.resize(
      UnicodeToInternal("CLTC", ccUtf8, setting.CLTC, 0, commentPrefixes_.data(), table_));
}

TCharCode TJobTexts::AuxiliaryCode(const std::string& fileName) const {
  const auto found = auxiliaryCodes_.find(fileName);
  return found != auxiliaryCodes_.end() ? found->second : ccShiftJis;
}

std::string TJobTexts::ReadAuxiliary(const std::string& fileName) const {
  const TCharCode code = AuxiliaryCode(fileName);
  if (!IsUnicodeCode(code)) {
    std::string bytes = ReadWholeFile(fileName);
    const TCharCode read = LegacyCode(bytes, fileName, code, false);
    std::string text = LegacyInternal(std::move(bytes), read, table_.JisX0212Codes());
    if (table_.RewritesInternal(HasEucMeanings(read))) {
      table_.RewriteInternal(text.data(), text.size(), HasEucMeanings(read));
    }
    return text;
  }
  std::string text = ReadWholeFile(fileName);
  text.resize(ConvertUnicode(fileName, code, text.data(), text.size()));
  return text;
}

std::size_t TJobTexts::ConvertUnicode(const std::string& fileName, TCharCode code, char* bytes,
                                      std::size_t size, std::uint64_t offset) const {
  const std::size_t mark = offset == 0 ? ByteOrderMarkSize({bytes, size}, code) : 0;
  // The text moves over its mark first: the UTF-8 converter writes whole blocks ahead of where it
  // reads, which would overwrite bytes still to be read three bytes behind them.
  std::memmove(bytes, bytes + mark, size - mark);
  return UnicodeToInternal(fileName, code, {bytes, size - mark},
                           static_cast<std::size_t>(offset) + mark, bytes, table_);
}

TCharCode CheckedTargetCode(const std::string& fileName, TCharCode detected,
                            std::string_view bytes) {
  if (IsUnicodeCode(detected)) {
    return detected;
  }
  const TCheckedCode checked = CheckCode(bytes, detected);
  if (checked.code != ccUndecided) {
    return checked.code;
  }
  if (checked.unfitAt == std::string::npos) {
    throw EFileError(AmbiguousCodeMessage(fileName) + "\r\n処理を中止します。");
  }
  throw EFileError(UnfitBytesMessage(fileName, checked.unfitAt));
}

void TSubstitutions::Note(const std::string& fileName, TCharCode code, std::string_view bytes,
                          bool keepsJisX0212, std::uint64_t linesBefore) {
  const TJisX0212 found = FindJisX0212(bytes, code, keepsJisX0212);
  if (found.count == 0) {
    return;
  }
  if (count_ == 0) {
    firstFile_ = fileName;
    firstLine_ = linesBefore + LineOfOffset(bytes, found.first);
  }
  count_ += found.count;
}

std::string TSubstitutions::Warning() const {
  if (count_ == 0) {
    return {};
  }
  return "Shift-JIS で表せない文字 (JIS X 0212) " + std::to_string(count_) +
         " 文字を「〓」に置き換えました。\r\n最初の文字は「" + firstFile_ + "」の " +
         std::to_string(firstLine_) + " 行目です。";
}

std::size_t LineOfOffset(std::string_view text, std::size_t offset) {
  // The lines up to and including the character at the offset (which is no line end).
  return CountLines(text.substr(0, std::min(offset + 1, text.size())));
}

} // namespace zorbe
