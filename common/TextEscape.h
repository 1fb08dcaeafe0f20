#pragma once

#include <optional>
#include <string>
#include <string_view>

// UTF-8 of UTF-16 text; a lone surrogate becomes U+FFFD, so the result is
// always valid UTF-8.
std::string Utf8(std::u16string_view text);

// How many bytes the well-formed UTF-8 character that starts the bytes
// takes; 0 when they do not start with one.
std::size_t Utf8SequenceLength(std::string_view bytes);
// UTF-16 of UTF-8 text; nothing when the bytes are not UTF-8.
std::optional<std::u16string> FromUtf8(std::string_view bytes);

// The text as UTF-8 that shows every character and holds no line break, for
// one field of a line that a device or a user must not be able to forge:
// a backslash and a double quote get a backslash before them; a tab, a line
// feed and a carriage return read \t, \n and \r; any other control
// character, DEL and the C1 characters read \xHH or \u0080 to \u009F.
std::string EscapedText(std::u16string_view text);

// The text as UTF-8 with each control character written as EscapedText writes
// it, and every other character as it is: a received line as the log keeps it,
// which no terminal showing the log takes for a command.
std::string Utf8WithoutControls(std::u16string_view text);
