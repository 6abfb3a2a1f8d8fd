#pragma once
// Link files in the target list: a freedesktop desktop entry of Type=Link with a file: URL (what
// file managers make when the user asks for a link to a file) stands for the file it points to.
// Any other ".desktop" file in the list, a launcher included, can't be sorted as what it points
// to and is refused with a message that says why.

#include <map>
#include <string>
#include <string_view>

namespace zorbe {

// The name ends in ".desktop", in any letter case.
bool IsLinkFileName(const std::string& name);

// The keys and values of the "Desktop Entry" group, values unescaped (\s \n \t \r \\).
std::map<std::string, std::string> DesktopEntryValues(std::string_view text);

// The local path of a file: URL (file:///path or file://localhost/path, percent-decoded);
// empty for any other URL.
std::string LocalPathOfFileUrl(std::string_view url);

struct TLinkTarget {
  std::string target;  // the file the link points to; empty when it can't be resolved
  std::string refusal; // then: why, for the user
};

// Resolves a link file of the target list to the existing file it points to.
TLinkTarget ResolveLinkFile(const std::string& linkFile);

} // namespace zorbe
