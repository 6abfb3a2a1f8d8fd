#pragma once
// One sort setting: a plain value record, copied whole (texts included) on assignment.
//
// Texts are UTF-8 like everything the operating system and zorbe.ini hand over; the sort job
// converts the one text it compares with line bytes (the comment prefixes) to CP932 itself.
// A default-constructed record is all empty, zero and false, as the two program-wide records
// are before their first load; SettingDefaults() gives the values of a setting with no keys.

#include <cstdint>
#include <string>

namespace zorbe {

// The eleven character-class names in class order, joined by ";".
inline constexpr const char* kDefaultOrderOfRow =
    "空白、TAB、改行;半角 - 記号;半角 - 数字;半角 - 英字;半角 - 片仮名;全角 - 記号;全角 - 数字;"
    "全角 - 英字;全角 - 平仮名;全角 - 片仮名;全角 - 漢字";

// The values of OutputCode and OutputLineEnd; any other value is automatic.
enum TOutputCodeValue : std::int32_t {
  ocAutomatic = 0,
  ocShiftJis = 1,
  ocUtf8 = 2,
  ocEucJp = 3,
  ocUtf16 = 4, // little-endian, with a byte-order mark
  ocEucJis2004 = 5,
  ocShiftJis2004 = 6,
};
enum TLineEndValue : std::int32_t { leAutomatic = 0, leCrLf = 1, leLf = 2 };

// The reserved name of the unsaved scratch setting.
inline constexpr const char* kTemporarySettingName = "一時設定";

struct TSettingOptionItems {
  std::string SettingName;
  std::uint8_t SortDirection = 0; // 0 syllabary order, 1 its reverse, 2 none
  bool SortByReading = false;     // lines ordered by their reading (MeCab) instead of their codes
  bool CharTypeOrder = false;
  std::int32_t NumberOrder = 0; // 0 by codes, 1 digits by value, 2 kanji numerals too
  std::string OrderOfRow;
  bool Duplicate = false;
  bool ReturnDel = false;
  bool FBSpaceDel = false;
  bool Distinction = false; // true: letter case is ignored
  bool NoConnected = false;
  bool CsvSupport = false;
  std::int32_t TargetCsvIndex = 0;
  std::int32_t InsertCsvIndex = 0;
  bool CsvNotRestore = false;
  std::int32_t CsvDelimiter = 0; // 0 comma, 1 space, 2 TAB
  bool CharPos = false;
  std::int32_t CharPosCount = 0;
  bool LineEndCount = false;
  std::int32_t Pun = 0; // 0 unchanged, 1 to half width, 2 to full width
  std::int32_t Num = 0;
  std::int32_t Alpha = 0;
  std::int32_t KataKana = 0;
  std::int32_t AlphaUL = 0; // 0 unchanged, 1 to lower case, 2 to upper case
  std::string DelChars;
  std::string CLTC;
  std::string Replacement;
  std::string SynonymDic;
  std::string FuzzyCharDic;
  bool BaseFuzzyCharDicUses = false;
  std::string OutputFolder;
  std::string OutputFilename;
  std::int32_t OutputCode = 0;    // TOutputCodeValue: 0 automatic, 1-6 a code
  std::int32_t OutputLineEnd = 0; // 0 automatic, 1 CR LF, 2 LF
  std::int32_t InputCode = 0;     // 0 detected; else the code of every target (text/input_code.h)

  bool operator==(const TSettingOptionItems&) const = default;
};

// A setting whose section has no keys: CharTypeOrder on, the default class order, all else off.
TSettingOptionItems SettingDefaults(const std::string& name = {});

} // namespace zorbe
