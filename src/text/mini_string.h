#pragma once
// TMiniString: the growable byte buffer in which the code converters build their output.
//
// The buffer holds Capacity() bytes, of which the first Length() are the collected text; the
// rest is zero-filled spare room. It grows in steps of 16,384 bytes when an addition would not
// fit. A converter creates it with the length of its input, which is the most it ever adds, so
// in practice it is allocated once; taking the text hands that allocation over without a copy.
// Sizes are std::size_t, so texts beyond 2 GiB are collected like any other.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorbe {

class TMiniString {
public:
  static constexpr std::size_t kGrowthStep = 16384;

  // With initialSize > 0 allocates initialSize + 1 zero-filled bytes; otherwise nothing.
  explicit TMiniString(std::size_t initialSize = 0);

  // Adds one byte.
  void Add(unsigned char byte) {
    if (length_ >= buffer_.size()) {
      Grow(length_ + 1);
    }
    buffer_[length_++] = static_cast<char>(byte);
  }

  // Adds the high byte of a 16-bit value, then its low byte.
  void AddPair(std::uint16_t pair) {
    if (length_ + 1 >= buffer_.size()) {
      Grow(length_ + 2);
    }
    buffer_[length_] = static_cast<char>(pair >> 8);
    buffer_[length_ + 1] = static_cast<char>(pair & 0xFF);
    length_ += 2;
  }

  // Adds a run of bytes at once.
  void Append(std::string_view bytes);

  // Makes room for `count` more bytes (growing as the add operations do) and returns where
  // they go. The caller stores up to `count` bytes there and then counts them with Commit; in
  // between nothing else may be added. This lets a converter write a long stretch through a
  // pointer of its own instead of calling Add for every byte.
  unsigned char* Reserve(std::size_t count);
  void Commit(std::size_t written) { length_ += written; }

  std::size_t Length() const { return length_; }
  std::size_t Capacity() const { return buffer_.size(); }
  std::string_view View() const { return {buffer_.data(), length_}; }

  // The collected bytes as one text (empty when nothing was added). The buffer goes with it:
  // afterwards the object is empty, with capacity 0.
  std::string TakeText();

private:
  // Grows by whole steps of kGrowthStep until `size` bytes fit.
  void Grow(std::size_t size);

  std::string buffer_; // its size is the capacity
  std::size_t length_{0};
};

} // namespace zorbe
