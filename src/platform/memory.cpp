#include "platform/memory.h"

#include <cctype>
#include <cstdint>
#include <fstream>
#include <limits>
#include <new>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace zorbe {

char* ReserveAddressSpace(std::size_t& size, std::size_t smallest) {
  for (; size >= smallest; size /= 4) {
    void* range = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (range != MAP_FAILED) {
      return static_cast<char*>(range);
    }
  }
  throw std::bad_alloc();
}

void FreeAddressSpace(char* data, std::size_t size) {
  ::munmap(data, size);
}

void ReleasePages(const char* from, const char* to) {
  constexpr std::uintptr_t kPage = 4096;
  const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(from) + kPage - 1) & ~(kPage - 1);
  const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(to) & ~(kPage - 1);
  if (end > begin) {
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
  }
}

void AdviseHugePages(void* data, std::size_t size) {
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t begin = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t end = (start + size) & ~(kHugePage - 1);
  if (end > begin) {
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  }
}

std::uint64_t AvailableMemory() {
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  std::uint64_t kib = 0;
  std::string unit;
  while (meminfo >> key >> kib >> unit) {
    if (key == "MemAvailable:") {
      return kib << 10;
    }
  }
  const long pages = ::sysconf(_SC_AVPHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  return pages > 0 && pageSize > 0 ? static_cast<std::uint64_t>(pages) * pageSize : 0;
}

std::optional<std::uint64_t> ParseMemorySize(std::string_view text) {
  std::uint64_t value = 0;
  std::size_t i = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    if (value > (std::numeric_limits<std::uint64_t>::max() - 9) / 10) {
      return std::nullopt;
    }
    value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
  }
  if (i == 0 || value == 0) {
    return std::nullopt;
  }
  std::string_view suffix = text.substr(i);
  int shift = 20; // MiB without a suffix
  if (!suffix.empty()) {
    switch (std::toupper(static_cast<unsigned char>(suffix[0]))) {
    case 'K':
      shift = 10;
      break;
    case 'M':
      shift = 20;
      break;
    case 'G':
      shift = 30;
      break;
    case 'T':
      shift = 40;
      break;
    default:
      return std::nullopt;
    }
    suffix.remove_prefix(1);
    if (suffix != "" && suffix != "B" && suffix != "b" && suffix != "iB" && suffix != "ib") {
      return std::nullopt;
    }
  }
  if (value > (std::numeric_limits<std::uint64_t>::max() >> shift)) {
    return std::nullopt;
  }
  return value << shift;
}

} // namespace zorbe
