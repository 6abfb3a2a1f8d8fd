#pragma once
// The main window's output field: it shows a name in double quotes, and reading it back follows
// the rule of a typed command line, so a quoted name with blanks survives while an unquoted new
// name with a blank yields only its first word.

#include <string>

namespace zorbe {

// The output file name the field's text stands for: the whole text when it names an existing
// file, otherwise its first command-line item without quotes (empty for an empty field).
std::string OutputFieldFileName(const std::string& text);

// The first item of a text split like a command line: blanks separate items, double quotes
// group blanks into an item and are removed.
std::string FirstCommandLineItem(const std::string& text);

// The name as the window writes it into the field: in double quotes.
std::string QuotedName(const std::string& name);

} // namespace zorbe
