#pragma once
// The program's main icon ("MAINICON"), an SVG compiled into the program's resources.

#include <QIcon>

namespace zorbe {

// The resource name of the icon.
inline constexpr const char* kMainIconResource = ":/icons/zorbe.svg";

// The icon, drawn from the SVG at whatever size is asked for.
QIcon AppIcon();

} // namespace zorbe
