#pragma once
// Hints to the system about how a large buffer will be used.

#include <cstddef>

namespace zorbe {

// Asks the system to back the whole 2 MiB pages inside the `size` bytes at `data` with huge
// pages, before they are first written: a large buffer then costs one page fault per 2 MiB
// instead of one per 4 KiB. Only a hint; nothing happens where the system declines.
void AdviseHugePages(void* data, std::size_t size);

} // namespace zorbe
