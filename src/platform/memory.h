#pragma once
// Hints to the system about how a large buffer will be used.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zorbe {

// Asks the system to back the whole 2 MiB pages inside the `size` bytes at `data` with huge
// pages, before they are first written: a large buffer then costs one page fault per 2 MiB
// instead of one per 4 KiB. Only a hint; nothing happens where the system declines.
void AdviseHugePages(void* data, std::size_t size);

// The physical memory a new allocation can have without pushing other pages out: the system's
// estimate of available memory (free memory and caches it can drop).
std::uint64_t AvailableMemory();

// A memory size as a user writes it: a whole number with the suffix K, M, G or T (powers of
// 1024; a trailing B or iB is allowed), or without one in MiB. Nothing for anything else and
// for 0.
std::optional<std::uint64_t> ParseMemorySize(std::string_view text);

} // namespace zorbe
