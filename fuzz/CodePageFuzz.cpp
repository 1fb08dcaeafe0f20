// Code page 932 both ways: decoding split at any point equals decoding whole,
// and encoding any text never fails or runs over.
#include <cstdlib>

#include "devicelink/CodePage.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::size_t split = input.Byte();
    const std::string bytes = input.Rest();
    const auto* raw = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t at = bytes.empty() ? 0 : split % (bytes.size() + 1);

    CodePageDecoder whole;
    const std::u16string once = whole.Decode(raw, bytes.size());
    CodePageDecoder parts;
    std::u16string split_ = parts.Decode(raw, at);
    split_ += parts.Decode(raw + at, bytes.size() - at);
    if (once != split_ || once.size() > bytes.size())
        std::abort();

    // The bytes read as UTF-16 text, lone surrogates and all.
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(raw[2 * i] | raw[2 * i + 1] << 8);
    const std::string encoded = EncodeCodePage(text);
    if (encoded.size() > 2 * text.size())
        std::abort();
    if (auto single = EncodeSingleBytes(text); single && single->size() != text.size())
        std::abort();
    return 0;
}
