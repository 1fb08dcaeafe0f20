#pragma once

#include <string>
#include <string_view>

// Who reads a report's text, for what each cannot hold.
enum class ReportReader {
    Yaml,    // prove's reader, PyYAML: no C1 control, U+FFFE or U+FFFF (the others are escaped)
    TapLine, // a test line: no control character but the tab, nor those
    Xml,     // XML 1.0: no control character but the tab and the line ends (C1 neither), no U+FFFE or U+FFFF
};

// The bytes as UTF-8, with each byte that starts no UTF-8 character and each
// character the reader cannot hold replaced by U+FFFD.
std::string ReadableText(std::string_view bytes, ReportReader reader);
