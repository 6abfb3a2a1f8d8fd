#include "settings/setting_keys.h"

namespace zorbe {
namespace {

using S = TSettingOptionItems;

const TSettingKey kSettingKeys[] = {
    {"SortDirection", &S::SortDirection, 0, "", "SortGroup"},
    {"SortByReading", &S::SortByReading, 0, "", "cbSortByReading"},
    {"CharTypeOrder", &S::CharTypeOrder, 1, "", "cbCharTypeOrder"},
    {"NumberOrder", &S::NumberOrder, 0, "", "cbNumberOrder"},
    {"OrderOfRow", &S::OrderOfRow, 0, kDefaultOrderOfRow, "ListBox"},
    {"Duplicate", &S::Duplicate, 0, "", "cbDuplicate"},
    {"ReturnDel", &S::ReturnDel, 0, "", "cbReturnDel"},
    {"FBSpaceDel", &S::FBSpaceDel, 0, "", "cbFBSpaceDel"},
    {"Distinction", &S::Distinction, 0, "", "cbDistinction"},
    {"NoConnected", &S::NoConnected, 0, "", "cbNoConnected"},
    {"CsvSupport", &S::CsvSupport, 0, "", "cbCsvSupport"},
    {"TargetCsvIndex", &S::TargetCsvIndex, 0, "", "seTargetCsvIndex"},
    {"InsertCsvIndex", &S::InsertCsvIndex, 0, "", "seInsertCsvIndex"},
    {"CsvNotRestore", &S::CsvNotRestore, 0, "", "cbCsvNotRestore"},
    {"CsvDelimiter", &S::CsvDelimiter, 0, "", "cbCsvDelimiter"},
    {"CharPos", &S::CharPos, 0, "", "cbCharPos"},
    {"CharPosCount", &S::CharPosCount, 0, "", "seCharPosCount"},
    {"LineEndCount", &S::LineEndCount, 0, "", "cbLineEndCount"},
    {"Pun", &S::Pun, 0, "", "cbPun"},
    {"Num", &S::Num, 0, "", "cbNum"},
    {"Alpha", &S::Alpha, 0, "", "cbAlpha"},
    {"KataKana", &S::KataKana, 0, "", "cbKataKana"},
    {"AlphaUL", &S::AlphaUL, 0, "", "cbAlphaUL"},
    {"DelChars", &S::DelChars, 0, "", "DelFNE"},
    {"CLTC", &S::CLTC, 0, "", "CommentLTC"},
    {"Replacement", &S::Replacement, 0, "", "fneReplacement"},
    {"SynonymDic", &S::SynonymDic, 0, "", "fneSynonymDic"},
    {"FuzzyCharDic", &S::FuzzyCharDic, 0, "", "fneFuzzyCharDic"},
    {"BaseFuzzyCharDicUses", &S::BaseFuzzyCharDicUses, 0, "", "cbBaseFuzzyCharDicUses"},
    {"OutputFolder", &S::OutputFolder, 0, "", "deOutputFolder"},
    {"OutputFilename", &S::OutputFilename, 0, "", "eOutputFilename"},
    {"OutputCode", &S::OutputCode, ocAutomatic, "", "cbOutputCode"},
    {"OutputLineEnd", &S::OutputLineEnd, leAutomatic, "", "cbOutputLineEnd"},
    {"InputCode", &S::InputCode, 0, "", "cbInputCode"},
};

} // namespace

std::span<const TSettingKey> SettingKeys() {
  return kSettingKeys;
}

} // namespace zorbe
