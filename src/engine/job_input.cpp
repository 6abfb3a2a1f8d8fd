// A job's inputs in the internal form (see job_input.h).

#include "engine/job_input.h"

#include "platform/file_system.h"
#include "platform/run_both.h"
#include "text/code_check.h"
#include "text/encoding.h"
#include "text/internal_char.h"
#include "text/internal_input.h"
#include "text/internal_output.h"
#include "text/unicode_conversion.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <tuple>

namespace zorbe {
namespace {

// A text at least this large is converted by two threads, a half each.
constexpr std::size_t kTextForTwoThreads = std::size_t{1} << 20;

std::string NotInCodeMessage(const std::string& file, const std::string& codeName,
                             std::uint64_t offset) {
  return "「" + file + "」は " + codeName + " として正しくないバイトを含んでいます（オフセット " +
         std::to_string(offset) + "）。\r\n処理を中止します。";
}

// A code of a legacy file that is no character (an unassigned cell), which an output in another
// code has nothing to write for.
std::string NoCharacterMessage(const std::string& file, const std::string& codeName,
                               std::uint64_t line, std::string_view bytes, std::uint64_t offset,
                               TOutputCode output) {
  std::string shown;
  for (const char c : bytes.substr(0, bytes.starts_with('\x8F') ? 3 : 2)) {
    char byte[8];
    std::snprintf(byte, sizeof byte, "%s0x%02X", shown.empty() ? "" : " ",
                  static_cast<unsigned char>(c));
    shown += byte;
  }
  return "「" + file + "」の " + std::to_string(line) + " 行目のバイト " + shown + "（オフセット " +
         std::to_string(offset) + "）は " + codeName + " の文字ではないので、" +
         OutputCodeName(output) + " で出力できません。\r\n処理を中止します。";
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
  return bytes.starts_with(code == ccUtf16BE ? "\xFE\xFF" : "\xFF\xFE") ? 2 : 0;
}

// A conversion's fault as the user reads it. `bytes`: the text from the fault on (its bytes are
// unread, so as the file holds them; UTF-16 texts are faulted on their own bytes before).
[[noreturn]] void ThrowFault(const std::string& file, TCharCode code, TOutputCode output,
                             const TConversionReport& report, std::string_view bytes,
                             std::uint64_t offset, std::uint64_t linesBefore) {
  if (IsUnicodeCode(code)) {
    throw EFileError(NotInCodeMessage(file, CharCodeName(code), offset));
  }
  throw EFileError(NoCharacterMessage(file, CharCodeName(code), linesBefore + report.faultLine,
                                      bytes, offset, output));
}

// The line ends of a text: CR, LF and CR LF each one.
std::size_t LineEndCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    count += text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
  }
  return count;
}

// Converts a text in place in the space (it is the space's newest allocation): in two halves
// on two threads when it is large and can be cut, each where it lies, put together after.
// Returns its size and report; a fault's offset counts in the text.
std::pair<std::size_t, TConversionReport>
ConvertTarget(TTextSpace& space, const TInputConverter& converter, char* text, std::size_t size) {
  std::size_t split = size;
  if (size >= kTextForTwoThreads && converter.Splittable()) {
    split = MiddleLineBoundary({text, size});
  }
  TConvertedText halves[2];
  if (split == size) {
    halves[0] = ConvertInPlace(converter, text, size);
  } else {
    RunBoth([&] { halves[0] = ConvertInPlace(converter, text, split); },
            [&] { halves[1] = ConvertInPlace(converter, text + split, size - split); });
  }
  TConversionReport report = halves[0].report;
  if (!report.fault && split != size) {
    const TConversionReport& second = halves[1].report;
    const std::size_t firstSize = halves[0].written + halves[0].tail.size();
    if (second.fault) { // the first half's lines are counted only for the message
      report.fault = TInputFault{split + second.fault->offset};
      report.faultLine = LineEndCount({text, halves[0].written}) +
                         LineEndCount(halves[0].tail) + second.faultLine;
    }
    if (report.substituted == 0 && second.substituted != 0) {
      report.firstSubstituted = firstSize + second.firstSubstituted;
    }
    report.substituted += second.substituted;
    if (report.firstUnwritable == std::string::npos &&
        second.firstUnwritable != std::string::npos) {
      report.firstUnwritable = firstSize + second.firstUnwritable;
    }
  }
  if (report.fault) {
    return {0, report};
  }
  // [first half][its tail][second half][its tail], the second half moved from where it lies.
  const std::size_t secondAt = halves[0].written + halves[0].tail.size();
  const std::size_t total = secondAt + halves[1].written + halves[1].tail.size();
  if (total > size) {
    space.Grow(text, total + 1);
  }
  if (split != size) {
    std::memmove(text + secondAt, text + split, halves[1].written);
  }
  std::memcpy(text + halves[0].written, halves[0].tail.data(), halves[0].tail.size());
  std::memcpy(text + secondAt + halves[1].written, halves[1].tail.data(), halves[1].tail.size());
  return {total, report};
}

} // namespace

TJobInput::TJobInput(const TSettingOptionItems& setting) : commentPrefixes_(setting.CLTC) {
  for (const std::string* name :
       {&setting.DelChars, &setting.Replacement, &setting.SynonymDic, &setting.FuzzyCharDic}) {
    if (FileExists(*name)) {
      std::string refusal;
      const TCharCode code =
          DetectCharCode(*name, [&](const std::string& message) { refusal = message; });
      if (!refusal.empty() && FileExists(*name)) {
        throw EFileError(refusal + "\r\n処理を中止します。"); // no Japanese text
      }
      auxiliaryCodes_[*name] = IsTextCode(code) ? code : ccShiftJis;
    }
  }
}

std::string TJobInput::Converted(std::string_view bytes, TCharCode code,
                                 const std::string& fileName) const {
  std::string utf8;
  const std::size_t mark = ByteOrderMarkSize(bytes, code);
  if (FamilyOf(code) == TCodeFamily::Utf16) {
    if (const auto fault = Utf16ToUtf8(bytes.substr(mark), code == ccUtf16BE, utf8)) {
      throw EFileError(NotInCodeMessage(fileName, "UTF-16", mark + fault->offset));
    }
    bytes = utf8;
  } else {
    bytes.remove_prefix(mark);
  }
  if (code == ccShiftJis && ModelOf(output_) == TCharModel::Cp932) {
    // Shift-JIS is its own internal form, but for a file read as Shift-JIS because it is nothing
    // else: bytes 0xFD-0xFF are no Shift-JIS.
    const auto at = static_cast<std::size_t>(
        std::find_if(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= kEscapeLead; }) -
        bytes.begin());
    if (at != bytes.size()) {
      throw EFileError(NotInCodeMessage(fileName, CharCodeName(code), at));
    }
    return std::string(bytes);
  }
  TConvertedString converted = ConvertText(TInputConverter(code, Codec()), bytes);
  if (const auto& fault = converted.report.fault) {
    ThrowFault(fileName, code, output_, converted.report, bytes.substr(fault->offset),
               mark + fault->offset, 0);
  }
  return std::move(converted.text);
}

std::string TJobInput::CommentPrefixes() const {
  if (!IsValidUtf8(commentPrefixes_)) {
    throw EFileError("コメント行頭文字「" + commentPrefixes_ +
                     "」は UTF-8 として正しくありません。\r\n処理を中止します。");
  }
  if (std::all_of(commentPrefixes_.begin(), commentPrefixes_.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return commentPrefixes_; // ASCII is itself in every internal form
  }
  return Converted(commentPrefixes_, ccUtf8, "CLTC");
}

std::string TJobInput::ReadAuxiliary(const std::string& fileName) const {
  const auto found = auxiliaryCodes_.find(fileName);
  TCharCode code = found != auxiliaryCodes_.end() ? found->second : ccShiftJis;
  const std::string bytes = ReadWholeFile(fileName);
  if (!IsUnicodeCode(code)) {
    const TCheckedCode checked = CheckCode(bytes, code);
    code = checked.code != ccUndecided ? checked.code : ccShiftJis;
  }
  return Converted(bytes, code, fileName);
}

TInternalTarget TJobInput::TargetToInternal(TTextSpace& space, const std::string& fileName,
                                            TCharCode code, TSpaceText text, std::uint64_t offset,
                                            std::uint64_t linesBefore) {
  TInternalTarget target{text};
  const std::size_t mark = offset == 0 ? ByteOrderMarkSize(text, code) : 0;
  if (code == ccShiftJis && ModelOf(output_) == TCharModel::Cp932) {
    // Shift-JIS as it is; EUC-JP output can't write every CP932 code (the user-defined area,
    // IBM rows JIS X 0212 lacks), which only lead bytes 0xF0 and above start.
    if (output_ == TOutputCode::EucJp &&
        std::any_of(text.data(), text.data() + text.size(),
                    [](char c) { return static_cast<unsigned char>(c) >= 0xF0; })) {
      target.firstUnwritable = FindUnwritable(text, Codec());
    }
    return target;
  }
  const TInputConverter converter(code, Codec());
  TConversionReport report;
  std::size_t size = 0;
  if (FamilyOf(code) == TCodeFamily::Utf16) {
    // UTF-16 is made UTF-8 first, in a copy, whose conversion is put back in the space.
    std::string utf8;
    if (const auto fault = Utf16ToUtf8(text.View().substr(mark), code == ccUtf16BE, utf8)) {
      throw EFileError(NotInCodeMessage(fileName, "UTF-16", offset + mark + fault->offset));
    }
    TConvertedString converted = ConvertText(converter, utf8);
    report = converted.report;
    size = converted.text.size();
    if (size > text.size()) {
      space.Grow(text.data(), size + 1);
    }
    std::memcpy(text.data(), converted.text.data(), size);
  } else {
    // The text moves over its mark first: the UTF-8 converter writes whole blocks ahead of where
    // it reads, which would overwrite bytes still to be read three bytes behind them.
    if (mark != 0) {
      std::memmove(text.data(), text.data() + mark, text.size() - mark);
    }
    std::tie(size, report) = ConvertTarget(space, converter, text.data(), text.size() - mark);
    if (report.fault) {
      ThrowFault(fileName, code, output_, report, text.View().substr(report.fault->offset),
                 offset + mark + report.fault->offset, linesBefore);
    }
  }
  target.text = space.EndText(text.data(), size);
  target.firstUnwritable = report.firstUnwritable;
  if (report.substituted != 0) {
    if (substituted_ == 0) {
      firstSubstitutedFile_ = fileName;
      firstSubstitutedLine_ = linesBefore + LineOfOffset(target.text, report.firstSubstituted);
    }
    substituted_ += report.substituted;
  }
  return target;
}

void TJobInput::CheckWritable(std::string_view text, const std::string& fileName,
                              std::uint64_t linesBefore, std::size_t first) const {
  if (first >= text.size()) {
    return;
  }
  const std::size_t at = FindUnwritable(text.substr(first), Codec());
  if (at == std::string_view::npos) {
    return;
  }
  throw EFileError("「" + fileName + "」の " +
                   std::to_string(linesBefore + LineOfOffset(text, first + at)) + " 行目の文字" +
                   CharacterAt(text, first + at, Codec()) + " は " + OutputCodeName(output_) +
                   " で出力できません。\r\n出力文字コードを「UTF-8」にして下さい。\r\n"
                   "処理を中止します。");
}

std::string TJobInput::Warning() const {
  if (substituted_ == 0) {
    return {};
  }
  return "Shift-JIS で表せない文字 (JIS X 0212) " + std::to_string(substituted_) +
         " 文字を「〓」に置き換えました。\r\n最初の文字は「" + firstSubstitutedFile_ + "」の " +
         std::to_string(firstSubstitutedLine_) + " 行目です。";
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

std::size_t LineOfOffset(std::string_view text, std::size_t offset) {
  // The lines up to and including the character at the offset (which is no line end).
  return CountLines(text.substr(0, std::min(offset + 1, text.size())));
}

} // namespace zorbe
