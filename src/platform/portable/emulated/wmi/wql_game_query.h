// The one WQL query that the emulated games namespace answers, the program's
// (kGameByBinaryPathQueryHead in platform/gameux.h):
//   SELECT * FROM GAME WHERE GDFBinaryPath = "<path>"
// Keywords and names compare without regard to case, blanks between the parts may vary, and the
// path is a double-quoted WQL string whose escapes \\ and \" are undone.
#pragma once

#include <optional>
#include <string>

// The path the query asks for, or none when the text is not a query of that shape.
std::optional<std::wstring> ParseGameQuery(std::wstring_view query);
