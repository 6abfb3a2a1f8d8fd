#include "text/mini_string.h"

#include "platform/memory.h"

#include <cstring>

namespace zorbe {

TMiniString::TMiniString(std::size_t initialSize) {
  if (initialSize > 0) {
    // A converter fills the whole buffer at once: for a large text, fewer and larger pages
    // make that cheaper than the conversion itself would otherwise be.
    buffer_.reserve(initialSize + 1);
    AdviseHugePages(buffer_.data(), buffer_.capacity());
    buffer_.assign(initialSize + 1, '\0');
  }
}

void TMiniString::Append(std::string_view bytes) {
  if (bytes.empty()) {
    return;
  }
  if (length_ + bytes.size() > buffer_.size()) {
    Grow(length_ + bytes.size());
  }
  std::memcpy(buffer_.data() + length_, bytes.data(), bytes.size());
  length_ += bytes.size();
}

unsigned char* TMiniString::Reserve(std::size_t count) {
  if (length_ + count > buffer_.size()) {
    Grow(length_ + count);
  }
  return reinterpret_cast<unsigned char*>(buffer_.data()) + length_;
}

std::string TMiniString::TakeText() {
  buffer_.resize(length_);
  std::string text = std::move(buffer_);
  buffer_ = std::string();
  length_ = 0;
  return text;
}

void TMiniString::Grow(std::size_t size) {
  const std::size_t steps = (size - buffer_.size() + kGrowthStep - 1) / kGrowthStep;
  buffer_.resize(buffer_.size() + steps * kGrowthStep, '\0');
}

} // namespace zorbe
