#include "engine/output_form.h"

#include "text/internal_output.h"
#include "text/unicode_conversion.h"

#include <algorithm>
#include <optional>

namespace zorbe {
namespace {

// The output code a setting names (OutputCode 1-6), or nothing for automatic.
std::optional<TOutputCode> ChosenOutputCode(int value) {
  switch (value) {
  case ocShiftJis:
    return TOutputCode::ShiftJis;
  case ocUtf8:
    return TOutputCode::Utf8;
  case ocEucJp:
    return TOutputCode::EucJp;
  case ocUtf16:
    return TOutputCode::Utf16;
  case ocEucJis2004:
    return TOutputCode::EucJis2004;
  case ocShiftJis2004:
    return TOutputCode::ShiftJis2004;
  default:
    return std::nullopt;
  }
}

bool FirstLineEndsInCrLf(std::string_view text) {
  const std::size_t end = text.find_first_of("\r\n");
  return end != std::string_view::npos && text.substr(end, 2) == "\r\n";
}

void SetLineEnd(TOutputForm& form, bool crLf) {
  form.lineEnd = LineEndInOutputCode(crLf ? "\r\n" : "\n", form.code);
}

} // namespace

std::string_view TOutputForm::ByteOrderMark() const {
  if (!byteOrderMark) {
    return {};
  }
  return code == TOutputCode::Utf16 ? kUtf16ByteOrderMark : kUtf8ByteOrderMark;
}

TOutputForm StartOutputForm(const TSettingOptionItems& setting, std::span<const TCharCode> codes) {
  const bool unicode = std::any_of(codes.begin(), codes.end(), [](TCharCode code) {
    return IsUnicodeCode(code) || IsJis2004Code(code);
  });
  TOutputForm form;
  form.code = ChosenOutputCode(setting.OutputCode)
                  .value_or(unicode ? TOutputCode::Utf8 : TOutputCode::ShiftJis);
  SetLineEnd(form, setting.OutputLineEnd != leLf);
  form.byteOrderMark = form.code == TOutputCode::Utf16;
  form.codec = form.code == TOutputCode::ShiftJis ? nullptr : &TInternalCodec::For(form.code);
  return form;
}

void SettleByFirstTarget(TOutputForm& form, const TSettingOptionItems& setting, TCharCode code,
                         bool utf8Mark, std::string_view internal) {
  if (code == ccUtf8 && form.code == TOutputCode::Utf8) {
    form.byteOrderMark = utf8Mark;
  }
  if (setting.OutputLineEnd != leCrLf && setting.OutputLineEnd != leLf) {
    SetLineEnd(form, form.code == TOutputCode::ShiftJis || FirstLineEndsInCrLf(internal));
  }
}

} // namespace zorbe
