#include "engine/line_conversions.h"

#include "text/shift_jis.h"

namespace zorbe {
namespace {

bool Chosen(int value) {
  return value == 1 || value == 2;
}

} // namespace

TLineConversions::TLineConversions(const TSettingOptionItems& setting)
    : symbols_(setting.CsvSupport ? 0 : setting.Pun), digits_(setting.Num), letters_(setting.Alpha),
      katakana_(setting.KataKana), letterCase_(setting.AlphaUL) {
  any_ = Chosen(letterCase_);
}

void TLineConversions::Apply(std::string& line) const {
  if (letterCase_ == 1) {
    LowerCaseInPlace(line);
  } else if (letterCase_ == 2) {
    UpperCaseInPlace(line);
  }
}

} // namespace zorbe
