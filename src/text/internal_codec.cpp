// The codecs of the internal form (see internal_codec.h).

#include "text/internal_codec.h"

#include "text/internal_char.h"
#include "text/utf8_decode.h"

#include <algorithm>
#include <array>
#include <map>
#include <mutex>

namespace zorbe {
namespace {

const TCp932Tables& Cp932() {
  return TCp932Tables::Get();
}

bool IsScalarValue(char32_t c) {
  return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

std::size_t PutCode(std::uint16_t code, unsigned char* d) {
  if (code >= 0x100) {
    d[0] = static_cast<unsigned char>(code >> 8);
    d[1] = static_cast<unsigned char>(code & 0xFF);
    return 2;
  }
  d[0] = static_cast<unsigned char>(code);
  return 1;
}

std::uint32_t PackedUtf8(char32_t c) {
  if (c == kNoCharacter) {
    return TInternalCodec::kNoUtf8;
  }
  unsigned char bytes[4] = {};
  utf8::Encode(c, bytes);
  return static_cast<std::uint32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24);
}

// The characters a JIS X 0213 code writes alike, each to the one the job holds them as: the one
// CP932 gives back itself when there is one (the backslash rather than ¥), else the one the code
// reads back.
std::unordered_map<char32_t, char32_t> AlikeCharacters(const TLegacyCharset& charset) {
  std::map<std::uint64_t, std::vector<char32_t>> groups;
  for (const auto& [c, encoded] : charset.encode) {
    groups[std::uint64_t{encoded.bytes} << 8 | encoded.length].push_back(c);
  }
  auto roundTrips = [](char32_t c) {
    const std::uint16_t code = Cp932().Encode(c);
    return code != kNoCode && Cp932().Decode(code) == c;
  };
  std::unordered_map<char32_t, char32_t> alike;
  for (auto& [bytes, members] : groups) {
    if (members.size() < 2) {
      continue;
    }
    std::sort(members.begin(), members.end());
    char32_t kept = members.front();
    for (const char32_t c : members) {
      if (roundTrips(c)) {
        kept = c;
        break;
      }
    }
    for (const char32_t c : members) {
      if (c != kept) {
        alike.emplace(c, kept);
      }
    }
  }
  return alike;
}

} // namespace

const char* OutputCodeName(TOutputCode code) {
  switch (code) {
  case TOutputCode::Utf8:
    return "UTF-8";
  case TOutputCode::EucJp:
    return "EUC-JP";
  case TOutputCode::Utf16:
    return "UTF-16";
  case TOutputCode::EucJis2004:
    return "EUC-JIS-2004";
  case TOutputCode::ShiftJis2004:
    return "Shift_JIS-2004";
  default:
    return "Shift-JIS";
  }
}

TCharModel ModelOf(TOutputCode output) {
  switch (output) {
  case TOutputCode::ShiftJis:
  case TOutputCode::EucJp:
    return TCharModel::Cp932;
  case TOutputCode::Utf8:
  case TOutputCode::Utf16:
    return TCharModel::Unicode;
  default:
    return TCharModel::Jis2004;
  }
}

char32_t AlternateOf(std::uint16_t sharedCode) {
  for (const TSharedCode& shared : Cp932().shared) {
    if (shared.code == sharedCode) {
      return shared.others.front();
    }
  }
  return kNoCharacter;
}

std::uint16_t SharedCodeOf(char32_t alternate) {
  for (const TSharedCode& shared : Cp932().shared) {
    if (shared.others.front() == alternate) {
      return shared.code;
    }
  }
  return kNoCode;
}

const TInternalCodec& TInternalCodec::For(TOutputCode output) {
  static std::array<std::unique_ptr<TInternalCodec>, 6> codecs;
  static std::array<std::once_flag, 6> built;
  const auto i = static_cast<std::size_t>(output);
  std::call_once(built[i], [&] { codecs[i] = std::make_unique<TInternalCodec>(output); });
  return *codecs[i];
}

TInternalCodec::TInternalCodec(TOutputCode output) : output_(output), model_(ModelOf(output)) {
  if (model_ == TCharModel::Jis2004) {
    jis2004_ = &TLegacyCharset::ForWriting(
        output == TOutputCode::EucJis2004 ? TLegacyCode::EucJis2004 : TLegacyCode::ShiftJis2004);
    alike_ = AlikeCharacters(*jis2004_);
    for (const auto& [pair, bytes] : jis2004_->composed) {
      combining_.insert(pair.second);
    }
  }
  const TCp932Tables& cp932 = Cp932();
  plain_.assign(0x10000, kNoCode);
  for (char32_t c = 0; c < 0x10000; ++c) {
    const char32_t held = alike_.contains(c) ? alike_.at(c) : c;
    const std::uint16_t code = cp932.Encode(held);
    if (code == kNoCode || !WritesCharacter(c)) {
      continue;
    }
    if (model_ == TCharModel::Cp932 ? WritesCp932Code(code) : cp932.Decode(code) == held) {
      plain_[c] = code;
    }
  }
  utf8_.assign(0x10000, kNoUtf8);
  for (std::uint32_t code = 0; code < 0x10000; ++code) {
    utf8_[code] = PackedUtf8(cp932.Decode(static_cast<std::uint16_t>(code)));
  }
  for (const unsigned char internalOnly : {kEscapeLead, kWideEscapeLead, kAlternateMark}) {
    utf8_[internalOnly] = kNoUtf8;
  }
}

bool TInternalCodec::WritesCp932Code(std::uint16_t code) const {
  switch (output_) {
  case TOutputCode::ShiftJis:
    return true;
  case TOutputCode::EucJp: {
    if (code < 0x100) {
      return code < 0x80 || (code >= 0xA1 && code <= 0xDF);
    }
    const unsigned lead = code >> 8;
    if (lead <= 0xEF) {
      return true; // JIS X 0208 and the rows EUC-JP files give the NEC and IBM characters
    }
    return lead >= 0xFA &&
           TLegacyCharset::Get(TLegacyCode::EucJp).encode.contains(Cp932().Decode(code));
  }
  default:
    return Cp932().Decode(code) != kNoCharacter &&
           (model_ != TCharModel::Jis2004 || WritesCharacter(Cp932().Decode(code)));
  }
}

bool TInternalCodec::WritesCharacter(char32_t c) const {
  if (!IsScalarValue(c)) {
    return false;
  }
  switch (output_) {
  case TOutputCode::ShiftJis:
    return Cp932().Encode(c) != kNoCode;
  case TOutputCode::EucJp: {
    const std::uint16_t code = Cp932().Encode(c);
    return (code != kNoCode && WritesCp932Code(code)) ||
           TLegacyCharset::Get(TLegacyCode::EucJp).encode.contains(c);
  }
  case TOutputCode::Utf8:
  case TOutputCode::Utf16:
    return true;
  default:
    // Alone, or as the combining half of a code that is two characters (か゚).
    return jis2004_->encode.contains(c) || combining_.contains(c);
  }
}

std::size_t TInternalCodec::PutUnicode(char32_t c, unsigned char* d) const {
  const std::uint16_t code = Cp932().Encode(c);
  if (code != kNoCode && Cp932().Decode(code) == c) {
    return PutCode(code, d);
  }
  if (const std::uint16_t shared = SharedCodeOf(c); shared != kNoCode) {
    const std::size_t length = PutCode(shared, d);
    d[length] = kAlternateMark;
    return length + 1;
  }
  return PutEscape(c, d);
}

std::size_t TInternalCodec::Put(char32_t c, unsigned char* d) const {
  if (const std::uint16_t code = PlainCode(c); code != kNoCode) {
    return PutCode(code, d);
  }
  if (!IsScalarValue(c)) {
    return 0;
  }
  switch (model_) {
  case TCharModel::Cp932: {
    // Its CP932 code, which EUC-JP may not write, or, for a character CP932 lacks, an escape,
    // which only EUC-JP writes (JIS X 0212).
    const std::uint16_t code = Cp932().Encode(c);
    return code != kNoCode ? PutCode(code, d) : PutEscape(c, d);
  }
  case TCharModel::Unicode:
    return PutUnicode(c, d);
  default: {
    const auto found = alike_.find(c);
    return PutUnicode(found != alike_.end() ? found->second : c, d);
  }
  }
}

char32_t TInternalCodec::Decode(const unsigned char* p, const unsigned char* end,
                                std::size_t& length) const {
  length = InternalCharLength(p, end);
  const unsigned char c = p[0];
  if (IsEscapeLead(c)) {
    return length == EscapeLength(c) ? EscapeCodePoint(p) : kNoCharacter;
  }
  const bool marked = length >= 2 && p[length - 1] == kAlternateMark;
  const std::size_t base = marked ? length - 1 : length;
  const std::uint16_t code =
      base == 2 ? static_cast<std::uint16_t>(c << 8 | p[1]) : static_cast<std::uint16_t>(c);
  // A stray mark and a lead byte cut by the end decode to nothing.
  return marked ? AlternateOf(code) : Cp932().Decode(code);
}

bool TInternalCodec::Writable(const unsigned char* p, const unsigned char* end,
                              std::size_t& length) const {
  const char32_t c = Decode(p, end, length);
  const bool internalOnly = IsInternalOnlyChar(p, length);
  switch (output_) {
  case TOutputCode::ShiftJis:
    return !internalOnly;
  case TOutputCode::EucJp:
    if (!internalOnly) {
      return WritesCp932Code(length == 2 ? static_cast<std::uint16_t>(p[0] << 8 | p[1]) : p[0]);
    }
    return c != kNoCharacter && TLegacyCharset::Get(TLegacyCode::EucJp).encode.contains(c);
  default:
    return c != kNoCharacter && WritesCharacter(c);
  }
}

} // namespace zorbe
