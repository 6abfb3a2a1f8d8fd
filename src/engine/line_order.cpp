#include "engine/line_order.h"

#include "text/shift_jis.h"

namespace zorbe {

const std::array<std::string_view, kClassCount> kClassNames = {
    "空白、TAB、改行", "半角 - 記号",   "半角 - 数字", "半角 - 英字",
    "半角 - 片仮名",   "全角 - 記号",   "全角 - 数字", "全角 - 英字",
    "全角 - 平仮名",   "全角 - 片仮名", "全角 - 漢字",
};

namespace {

// The class of each first byte; 0 marks the four lead bytes whose trail byte decides.
constexpr std::array<unsigned char, 256> MakeFirstByteClasses() {
  std::array<unsigned char, 256> table{};
  auto set = [&table](int from, int to, unsigned char cls) {
    for (int b = from; b <= to; ++b) {
      table[b] = cls;
    }
  };
  set(0x00, 0xFF, 1); // control bytes, blanks and every byte no other class takes
  set(0x21, 0x2F, 2);
  set(0x3A, 0x40, 2);
  set(0x5B, 0x60, 2);
  set(0x7B, 0x7E, 2);
  set(0x30, 0x39, 3);
  set(0x41, 0x5A, 4);
  set(0x61, 0x7A, 4);
  set(0x81, 0x81, 6);
  set(0x84, 0x84, 6);
  set(0x87, 0x87, 6);
  set(0x88, 0x9F, 11);
  set(0xA1, 0xA5, 2);
  set(0xDE, 0xDF, 2);
  set(0xA6, 0xDD, 5);
  set(0xE0, 0xED, 11);
  set(0xFB, 0xFC, 11);
  for (int b : {0x82, 0x83, 0xEE, 0xFA}) {
    table[b] = 0;
  }
  return table;
}

constexpr std::array<unsigned char, 256> kFirstByteClasses = MakeFirstByteClasses();

int ClassBySecondByte(unsigned char b0, unsigned char b1) {
  switch (b0) {
  case 0x82:
    if (b1 >= 0x60 && b1 <= 0x9A) {
      return 8;
    }
    return (b1 >= 0x9F && b1 <= 0xF1) ? 9 : 7;
  case 0x83:
    return (b1 >= 0x40 && b1 <= 0x96) ? 10 : 6;
  case 0xEE:
    return (b1 >= 0x40 && b1 <= 0xEC) ? 11 : 6;
  default: // 0xFA
    return ((b1 >= 0x5C && b1 <= 0x7E) || b1 >= 0x80) ? 11 : 6;
  }
}

} // namespace

int ClassOfLine(std::string_view line) {
  const auto b0 = static_cast<unsigned char>(line[0]);
  if (const int cls = kFirstByteClasses[b0]; cls != 0) {
    return cls;
  }
  const auto b1 = line.size() > 1 ? static_cast<unsigned char>(line[1]) : 0;
  return ClassBySecondByte(b0, b1);
}

int ClassIndexOfName(std::string_view text, std::string_view separator, int slot) {
  if (text.empty() || slot < 0) {
    return -1;
  }
  for (int index = 0; index < slot; ++index) {
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos || separator.empty()) {
      return -1; // fewer entries than the slot asks for
    }
    text.remove_prefix(at + separator.size());
  }
  const std::string_view entry = text.substr(0, text.find(separator));
  for (int cls = 0; cls < kClassCount; ++cls) {
    if (kClassNames[cls] == entry) {
      return cls;
    }
  }
  return -1;
}

std::array<int, kClassCount> ClassWriteOrder(std::string_view orderOfRow) {
  std::array<int, kClassCount> order{};
  std::array<bool, kClassCount + 1> placed{};
  int count = 0;
  auto place = [&](int cls) {
    if (!placed[cls]) {
      placed[cls] = true;
      order[count++] = cls;
    }
  };
  for (int slot = 0; slot < kClassCount; ++slot) {
    if (const int index = ClassIndexOfName(orderOfRow, ";", slot); index >= 0) {
      place(index + 1);
    }
  }
  for (int cls = 1; cls <= kClassCount; ++cls) {
    place(cls);
  }
  return order;
}

int CompareAscending(std::string_view a, std::string_view b) {
  return CompareBytes(a, b);
}
int CompareDescending(std::string_view a, std::string_view b) {
  return CompareBytes(b, a);
}
int CompareAscendingFolded(std::string_view a, std::string_view b) {
  return CompareFolded(a, b);
}
int CompareDescendingFolded(std::string_view a, std::string_view b) {
  return CompareFolded(b, a);
}

TLineCompare CompareFor(int sortDirection, bool distinction) {
  if (sortDirection == 1) {
    return distinction ? CompareDescendingFolded : CompareDescending;
  }
  return distinction ? CompareAscendingFolded : CompareAscending;
}

} // namespace zorbe
