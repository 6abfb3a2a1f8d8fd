#include "text/iconv_call.h"

#include "text/encoding.h"

#include <cerrno>
#include <iconv.h>

namespace zorbe {
namespace {

iconv_t Descriptor(void* cd) {
  return static_cast<iconv_t>(cd);
}

} // namespace

TIconv::TIconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
  if (Descriptor(cd_) == reinterpret_cast<iconv_t>(-1)) {
    throw EEncodingError(std::string("文字コード変換を開始できません: ") + from + " -> " + to);
  }
}

TIconv::~TIconv() {
  iconv_close(Descriptor(cd_));
}

std::size_t TIconv::ConvertOne(const void* in, std::size_t size, unsigned char* out,
                               std::size_t room) {
  char* src = static_cast<char*>(const_cast<void*>(in));
  char* dst = reinterpret_cast<char*>(out);
  std::size_t srcLeft = size;
  std::size_t dstLeft = room;
  iconv(Descriptor(cd_), nullptr, nullptr, nullptr, nullptr);
  if (iconv(Descriptor(cd_), &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) ||
      srcLeft != 0 ||
      iconv(Descriptor(cd_), nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
    return 0;
  }
  return room - dstLeft;
}

void TIconv::ConvertAll(std::string_view& in, std::string& out) {
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  iconv(Descriptor(cd_), nullptr, nullptr, nullptr, nullptr);
  for (;;) {
    char buffer[4096];
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    const std::size_t rc = srcLeft > 0 ? iconv(Descriptor(cd_), &src, &srcLeft, &dst, &dstLeft)
                                       : iconv(Descriptor(cd_), nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (rc == static_cast<std::size_t>(-1) && errno == E2BIG) {
      continue;
    }
    if (rc == static_cast<std::size_t>(-1) || srcLeft == 0) {
      break; // EILSEQ or EINVAL stop at the offending sequence; otherwise the state is flushed
    }
  }
  in = std::string_view(src, srcLeft);
}

} // namespace zorbe
