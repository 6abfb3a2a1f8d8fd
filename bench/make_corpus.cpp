// Writes a reproducible Shift-JIS corpus for the benchmarks: word-list and dictionary lines of
// hiragana, full- and half-width katakana, kanji, ASCII, full-width digits and letters, and
// CSV-like records, about 10% of them repeats of earlier lines, each ended by CR LF.
//
//   make_corpus SIZE_MB OUTPUT [SEED]

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

class Generator {
public:
  explicit Generator(std::uint64_t seed) : random_(seed) {}

  std::string Line() {
    if (!recent_.empty() && Chance(10)) {
      return recent_[Below(recent_.size())];
    }
    std::string line;
    const int kind = static_cast<int>(Below(100));
    if (kind < 25) {
      line = Hiragana(2, 8);
    } else if (kind < 38) {
      line = Katakana(2, 8);
    } else if (kind < 46) {
      line = HalfKatakana(2, 10);
    } else if (kind < 60) {
      line = Kanji(1, 4) + (Chance(50) ? Hiragana(1, 3) : "");
    } else if (kind < 70) {
      line = Ascii(3, 24);
    } else if (kind < 75) {
      line = FullWidthAlnum(2, 8);
    } else {
      line = Csv();
    }
    Remember(line);
    return line;
  }

private:
  std::uint64_t Below(std::uint64_t n) { return random_() % n; }
  bool Chance(int percent) { return Below(100) < static_cast<std::uint64_t>(percent); }
  int Between(int lo, int hi) {
    return lo + static_cast<int>(Below(static_cast<std::uint64_t>(hi - lo + 1)));
  }
  void Pair(std::string& s, int lead, int trail) {
    s += static_cast<char>(lead);
    s += static_cast<char>(trail);
  }

  std::string Hiragana(int lo, int hi) {
    std::string s;
    for (int n = Between(lo, hi); n > 0; --n) {
      Pair(s, 0x82, Between(0x9F, 0xF1));
    }
    return s;
  }
  std::string Katakana(int lo, int hi) {
    std::string s;
    for (int n = Between(lo, hi); n > 0; --n) {
      int trail = Between(0x40, 0x95);
      Pair(s, 0x83, trail >= 0x7F ? trail + 1 : trail);
    }
    return s;
  }
  std::string HalfKatakana(int lo, int hi) {
    std::string s;
    for (int n = Between(lo, hi); n > 0; --n) {
      s += static_cast<char>(Chance(10) ? 0xDE : Between(0xA6, 0xDD));
    }
    return s;
  }
  std::string Kanji(int lo, int hi) {
    std::string s;
    for (int n = Between(lo, hi); n > 0; --n) {
      const int lead = Between(0x88, 0x98);
      int trail = Between(lead == 0x88 ? 0x9F : 0x40, 0xFC);
      Pair(s, lead, trail == 0x7F ? 0x80 : trail);
    }
    return s;
  }
  std::string Ascii(int lo, int hi) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string s;
    for (int n = Between(lo, hi); n > 0; --n) {
      s += (Chance(12) && !s.empty() && s.back() != ' ') ? ' ' : letters[Below(52)];
    }
    return s;
  }
  std::string FullWidthAlnum(int lo, int hi) {
    std::string s;
    for (int n = Between(lo, hi); n > 0; --n) {
      Pair(s, 0x82,
           Chance(40) ? Between(0x4F, 0x58)
                      : (Chance(50) ? Between(0x60, 0x79) : Between(0x81, 0x9A)));
    }
    return s;
  }
  std::string Csv() {
    std::string s =
        Kanji(2, 4) + "," + Katakana(3, 8) + "," + std::to_string(Between(1, 99999)) + ",";
    if (Chance(50)) {
      s += Ascii(4, 12);
    } else {
      s += '"';
      s += Hiragana(2, 6);
      s += '"';
    }
    return s;
  }

  void Remember(const std::string& line) {
    if (recent_.size() < 4096) {
      recent_.push_back(line);
    } else {
      recent_[Below(recent_.size())] = line;
    }
  }

  std::mt19937_64 random_;
  std::vector<std::string> recent_;
};

} // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_corpus SIZE_MB OUTPUT [SEED]\n");
    return 2;
  }
  const std::uint64_t target = std::strtoull(argv[1], nullptr, 10) * 1000 * 1000;
  std::FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr) {
    std::perror(argv[2]);
    return 1;
  }
  Generator generator(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20261207);
  std::uint64_t written = 0;
  while (written < target) {
    const std::string line = generator.Line() + "\r\n";
    std::fwrite(line.data(), 1, line.size(), out);
    written += line.size();
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
