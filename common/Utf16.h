#pragma once

#include <cstddef>
#include <string_view>

// How many UTF-16 units the character at the start of the text takes: two for
// a surrogate pair, else one (a lone surrogate is a unit of its own).
inline std::size_t CharacterUnits(std::u16string_view text)
{
    return text.size() > 1 && text[0] >= 0xD800 && text[0] <= 0xDBFF && text[1] >= 0xDC00 && text[1] <= 0xDFFF
               ? 2
               : 1;
}
