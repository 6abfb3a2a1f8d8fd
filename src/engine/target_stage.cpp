#include "engine/target_stage.h"

#include "engine/dictionary_file.h"
#include "platform/memory.h"
#include "regex/replacement_rules.h"
#include "text/code_check.h"
#include "text/input_code.h"
#include "text/unicode_conversion.h"

#include <cstring>
#include <filesystem>
#include <memory>

namespace zorbe {
namespace {

// The rules of the replacement file with the dictionaries the setting names: the synonyms when
// their file exists, the user's look-alike groups when theirs does.
TReplacementRules ReplacementRules(const TSettingOptionItems& setting, const TJobInput& input) {
  TReplacementOptions options;
  if (FileExists(setting.SynonymDic)) {
    options.synonymDic = DictionaryFromText(input.ReadAuxiliary(setting.SynonymDic));
  }
  if (FileExists(setting.FuzzyCharDic)) {
    options.fuzzyCharDic = DictionaryFromText(input.ReadAuxiliary(setting.FuzzyCharDic));
  }
  options.useFuzzyCharDic = setting.BaseFuzzyCharDicUses;
  return TReplacementRules(SplitTextFileLines(input.ReadAuxiliary(setting.Replacement)),
                           std::move(options));
}

} // namespace

TTargetStage::TTargetStage(TSortJobInputs& inputs, const TSettingOptionItems& setting,
                           TJobInput& input, TTextSpace& space, const TJobSteps& steps)
    : inputs_(inputs), setting_(setting), input_(input), space_(space), steps_(steps),
      rules_(FileExists(setting.Replacement)), named_(InputCodeOfValue(setting.InputCode)) {
  if (named_) {
    inputs_.codes.assign(inputs_.files.size(), *named_);
  }
}

TSpaceText TTargetStage::Whole(std::size_t index, bool firstOfCycle) {
  steps_.SetStatus(kStatusReading);
  TSpaceText text = Read(index);
  TInternalTarget target = Internal(index, firstOfCycle, Code(index, CodeOf(index), text), text);
  if (rules_) {
    // The rules may bring in characters, or take out ones the output can't write.
    target.text = Replaced(target.text);
    target.firstUnwritable = ModelOf(form_->code) == TCharModel::Unicode ? std::string::npos : 0;
  }
  input_.CheckWritable(target.text, inputs_.files[index], 0, target.firstUnwritable);
  return target.text;
}

TPieceReader TTargetStage::PieceReader(std::size_t index) {
  const auto ahead = inputs_.contents.find(index);
  if (ahead == inputs_.contents.end()) {
    return TPieceReader(FileBytes(inputs_.files[index]));
  }
  auto bytes = std::make_shared<const std::string>(std::move(ahead->second));
  inputs_.contents.erase(ahead);
  return TPieceReader([bytes, at = std::size_t{0}](char* into, std::size_t size) mutable {
    const std::size_t got = std::min(size, bytes->size() - at);
    std::memcpy(into, bytes->data() + at, got);
    at += got;
    return got;
  });
}

TSpaceText TTargetStage::Piece(std::size_t index, bool firstOfCycle, TSpaceText piece,
                               TCharCode& code, TPiecePlace& place) {
  const bool firstPiece = place.offset == 0;
  const TCharCode checked = Code(index, code, piece, place.offset);
  if (!firstPiece && checked != code) {
    throw EFileError("ファイル「" + inputs_.files[index] +
                     "」は途中から別の文字コードになっています。\r\n処理を中止します。");
  }
  code = checked;
  const std::size_t size = piece.size();
  const TInternalTarget target = Internal(index, firstOfCycle && firstPiece, code, piece, place);
  input_.CheckWritable(target.text, inputs_.files[index], place.lines, target.firstUnwritable);
  place.offset += size;
  place.lines += CountLines(target.text);
  return target.text;
}

void TTargetStage::RefuseReplacingTooLarge(std::size_t index) const {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(inputs_.files[index], ec);
  if (!ec && size / 2 * 6 > AvailableMemory()) {
    throw EFileError("ファイル「" + inputs_.files[index] +
                     "」は大きすぎて、文字列置換をメモリ内で行えません。\r\n置換ルールを外すか、"
                     "ファイルを分けて下さい。\r\n処理を中止します。");
  }
}

// Reads a target into the space, with an LF after it (EndText): from the file, or the bytes
// read ahead, whose memory is given back once they are in the space.
TSpaceText TTargetStage::Read(std::size_t index) {
  const auto readAhead = inputs_.contents.find(index);
  if (readAhead == inputs_.contents.end()) {
    return ReadText(space_, inputs_.files[index]);
  }
  const std::string bytes = std::move(readAhead->second);
  inputs_.contents.erase(readAhead);
  char* copy = space_.Allocate(bytes.size() + 1);
  std::memcpy(copy, bytes.data(), bytes.size());
  return space_.EndText(copy, bytes.size());
}

// The code to read a target's bytes in: the detected code, or another one its bytes fit
// (CheckedTargetCode); a code the user named, only when they fit it (Unicode bytes are checked
// by their converters). `offset`: where the bytes start in the file.
TCharCode TTargetStage::Code(std::size_t index, TCharCode code, std::string_view bytes,
                             std::uint64_t offset) const {
  if (!named_) {
    return CheckedTargetCode(inputs_.files[index], code, bytes);
  }
  const std::size_t unfit = IsUnicodeCode(code) ? std::string::npos : FirstUnfitByte(bytes, code);
  if (unfit != std::string::npos) {
    throw EFileError("「" + inputs_.files[index] + "」は " +
                     InputCodes()[static_cast<std::size_t>(setting_.InputCode) - 1].caption +
                     " として正しくないバイトを含んでいます（オフセット " +
                     std::to_string(offset + unfit) + "）。\r\n処理を中止します。");
  }
  return code;
}

// A target's text (all of it, or a piece of whole lines from `place` on) read in `code`, made
// the internal form. The first text of a cycle also settles the output form.
TInternalTarget TTargetStage::Internal(std::size_t index, bool firstOfCycle, TCharCode code,
                                       TSpaceText text, TPiecePlace place) {
  cycleBytes_ += text.size();
  const bool utf8Mark = text.View().starts_with(kUtf8ByteOrderMark);
  if (code != ccShiftJis || form_->code != TOutputCode::ShiftJis) {
    steps_.SetStatus(kStatusConverting, 0, text.size());
  }
  TInternalTarget target =
      input_.TargetToInternal(space_, inputs_.files[index], code, text, place.offset, place.lines);
  if (firstOfCycle) {
    SettleByFirstTarget(*form_, setting_, code, utf8Mark, target.text);
  }
  return target;
}

// Rewrites a file's text with the rules of the replacement file: the lines joined by CR LF,
// each rule applied to the result of the one before. An invalid rule is reported with its line
// number (blank lines count) and ends the job. The rules and their dictionaries are made anew
// for every file and released at the end of the pass, on every path.
TSpaceText TTargetStage::Replaced(TSpaceText text) {
  steps_.SetStatus(kStatusReplacing);
  text = CrLfJoined(space_, text);
  TReplacementRules rules = ReplacementRules(setting_, input_);
  TJobControl& control = steps_.Control();
  control.Progress().StartPhase(kStatusReplacing, rules.Size(), text.size());
  std::string_view result;
  try {
    result = rules.ApplyAll(text, control.StopFlag(), [&] { control.Progress().Advance(1); });
  } catch (const EReplacementRule& e) {
    steps_.Host().ShowReplacementError(e.Line(), e.what());
    throw EJobReported{};
  } catch (const EGrepCancel&) {
    throw EJobStopped{};
  }
  if (result.data() == text.data()) {
    return text;
  }
  // The joined text is the space's newest allocation: the result takes its place.
  char* bytes = text.data();
  space_.Grow(bytes, result.size() + 1);
  std::memcpy(bytes, result.data(), result.size());
  return space_.EndText(bytes, result.size());
}

} // namespace zorbe
