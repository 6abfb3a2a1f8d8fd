#pragma once
// Address space, and hints to the system about how a large buffer will be used.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zorbe {

// Reserves address space only, with no memory behind it: pages are backed when first written.
// Tries `size` bytes, then a quarter of that at a time down to `smallest` where the system
// refuses a large range (strict overcommit, tools that limit the address space); returns the
// range and sets `size` to its length. Throws std::bad_alloc when none can be had.
char* ReserveAddressSpace(std::size_t& size, std::size_t smallest);
// Gives a reserved range back.
void FreeAddressSpace(char* data, std::size_t size);
// Gives the memory behind the whole pages inside [from, to) back to the system; they read as
// zeros when next touched.
void ReleasePages(const char* from, const char* to);

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
