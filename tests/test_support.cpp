#include "test_support.h"

#include "text/encoding.h"
#include "text/internal_input.h"
#include "text/utf8_decode.h"

#include <cstdlib>
#include <fstream>
#include <iconv.h>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace zorbe::test {

TTempFolder::TTempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zorbe-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  path_ = pattern;
}

TTempFolder::~TTempFolder() {
  std::error_code ec;
  // Give back permissions a test took away, so that everything can be removed.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::remove_all(path_, ec);
}

std::string TTempFolder::Write(const std::string& name, const std::string& bytes) const {
  const std::filesystem::path file = path_ / name;
  std::filesystem::create_directories(file.parent_path());
  WriteBytes(file.string(), bytes);
  return file.string();
}

TScopedEnvironment::TScopedEnvironment(std::string name, std::optional<std::string> value)
    : name_(std::move(name)) {
  if (const char* old = std::getenv(name_.c_str())) {
    saved_ = old;
  }
  Put(name_, value);
}

TScopedEnvironment::~TScopedEnvironment() {
  Put(name_, saved_);
}

void TScopedEnvironment::Put(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    ::setenv(name.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(name.c_str());
  }
}

std::string ReadBytes(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + fileName);
  }
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteBytes(const std::string& fileName, const std::string& bytes) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    throw std::runtime_error("cannot write " + fileName);
  }
}

std::string Internal(std::string_view utf8, TOutputCode output) {
  const TConvertedString converted =
      ConvertText(TInputConverter(ccUtf8, TInternalCodec::For(output)), utf8);
  if (converted.report.fault) {
    throw std::runtime_error("not UTF-8: " + std::string(utf8));
  }
  return converted.text;
}

std::string Utf8OfInternal(std::string_view internal, TOutputCode output) {
  const TInternalCodec& codec = TInternalCodec::For(output);
  const auto* p = reinterpret_cast<const unsigned char*>(internal.data());
  const auto* end = p + internal.size();
  std::string utf8;
  while (p < end) {
    std::size_t length = 0;
    const char32_t c = codec.Decode(p, end, length);
    if (c == kNoCharacter) {
      throw std::runtime_error("no character in the internal text");
    }
    unsigned char bytes[4];
    utf8.append(reinterpret_cast<const char*>(bytes), utf8::Encode(c, bytes));
    p += length;
  }
  return utf8;
}

std::string Sjis(const std::string& utf8) {
  return Utf8ToCp932(utf8);
}

std::string Recode(const std::string& bytes, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error(std::string("iconv_open failed: ") + from + " -> " + to);
  }
  std::string out(bytes.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
  const std::size_t flushed = iconv(cd, nullptr, nullptr, &dst, &dstLeft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1) || flushed == static_cast<std::size_t>(-1)) {
    throw std::runtime_error("iconv could not convert the test data");
  }
  out.resize(out.size() - dstLeft);
  return out;
}

// The Exec key read back the way a desktop reads it: the string escapes first, then the quoting.
std::vector<std::string> DesktopExecWords(const std::string& value) {
  std::string unescaped;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == '\\') {
      ++i;
    }
    unescaped += value[i];
  }
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < unescaped.size()) {
    if (unescaped[i] == ' ') {
      ++i;
      continue;
    }
    std::string word;
    if (unescaped[i] != '"') {
      while (i < unescaped.size() && unescaped[i] != ' ') {
        word += unescaped[i++];
      }
    } else {
      for (++i; i < unescaped.size() && unescaped[i] != '"'; ++i) {
        if (unescaped[i] == '\\') {
          ++i;
        }
        word += unescaped[i];
      }
      ++i;
    }
    std::string literal; // %% is a percent sign
    for (std::size_t k = 0; k < word.size(); ++k) {
      literal += word[k];
      if (word[k] == '%' && k + 1 < word.size() && word[k + 1] == '%') {
        ++k;
      }
    }
    words.push_back(literal);
  }
  return words;
}

} // namespace zorbe::test
