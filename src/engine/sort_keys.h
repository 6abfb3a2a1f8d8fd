#pragma once
// Sort keys: a line is rearranged before it is classed and sorted so that the key part comes
// first, and rearranged back when it is written.
//
// The column key moves one field of a delimited line (MoveField); the position key rotates the
// line at a byte count (RotateLine). Undoing a key is the same call with the roles swapped, so
// a keyed and undone line equals the line as joined anew (and RotateLine restores it exactly).

#include <string>
#include <string_view>
#include <vector>

namespace zorbe {

// Delimiter kinds of the field splitter: 1 space, 2 TAB, 3 semicolon, anything else comma.
// The joiner knows space (1), TAB (2) and the comma for every other kind.
enum TDelimiterKind : int { dkComma = 0, dkSpace = 1, dkTab = 2, dkSemicolon = 3 };

// Splits a line into fields. A quoted field keeps its quotes and is stored in quoted form (its
// inner double quotes doubled); control bytes (0x01-0x08, 0x0A-0x1F) separate fields and are
// dropped; a double-byte character is stepped over whole.
std::vector<std::string> SplitFields(int kind, std::string_view line);

// Joins fields with the delimiter of the kind; no field is quoted or changed.
std::string JoinFields(int kind, const std::vector<std::string>& fields);

// The line with the field at `from` moved to index `to` of the shortened list, joined anew; the
// line unchanged when either index is not below the number of fields or is negative, and when
// the move would put a field behind an open last field (a quoted field without its closing
// quote, or one ending in a lead byte without its trail byte): the keyed line could not be split
// back the same way.
std::string MoveField(std::string_view line, int from, int to, int kind);
// The same into `out`, which must not hold the line; no allocation once `out` is large enough.
// Returns whether the line is its fields joined as they stand (no control byte dropped, no
// delimiter put in): then moving the field back gives the line itself, byte for byte.
bool MoveField(std::string_view line, int from, int to, int kind, std::string& out);

// The bytes after the first n followed by the first n bytes; with fromEnd the last n bytes
// followed by the rest. The line unchanged when n is not between 1 and its length - 1.
std::string RotateLine(std::string_view line, int n, bool fromEnd);
void RotateLine(std::string_view line, int n, bool fromEnd, std::string& out);

} // namespace zorbe
