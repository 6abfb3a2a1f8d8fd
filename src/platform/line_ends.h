#pragma once
// The line ends of this platform: the program's messages and its clipboard texts join lines
// with CR LF, while terminals and the desktop's clipboard expect LF.

#include <string>
#include <string_view>

namespace zorbe {

// The text with every CR LF turned into LF; a lone CR stays.
std::string WithLfLineEnds(std::string_view text);

} // namespace zorbe
