#pragma once

#include <string>
#include <string_view>

// UTF-8 of UTF-16 text; a lone surrogate becomes U+FFFD, so the result is
// always valid UTF-8.
std::string Utf8(std::u16string_view text);

// The text as UTF-8 that shows every character and holds no line break, for
// one field of a line that a device or a user must not be able to forge:
// a backslash and a double quote get a backslash before them; a tab, a line
// feed and a carriage return read \t, \n and \r; any other control
// character, DEL and the C1 characters read \xHH or \u0080 to \u009F.
std::string EscapedText(std::u16string_view text);
