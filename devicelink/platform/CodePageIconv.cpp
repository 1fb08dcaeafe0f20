#include "common/Utf16.h"
#include "devicelink/CodePage.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <iconv.h>
#include <iterator>
#include <vector>

namespace {

// iconv's name for code page 932.
constexpr const char* CP932_CONVERTER = "CP932";

const char* Utf16Name()
{
    return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
}

iconv_t Open(const char* to, const char* from)
{
    return iconv_open(to, from);
}

bool IsOpen(iconv_t cd)
{
    return cd != reinterpret_cast<iconv_t>(-1);
}

// Encodes one character (one unit, or a surrogate pair) and reports how many
// bytes it took; 0 when it has no code.
std::size_t EncodeOne(iconv_t cd, std::u16string_view text, std::size_t& consumed, char out[4])
{
    // A pair is one character; a lone surrogate is one unit with no code.
    consumed = CharacterUnits(text);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
    std::size_t inLeft = consumed * sizeof(char16_t);
    char* outPtr = out;
    std::size_t outLeft = 4;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return 0;
    return static_cast<std::size_t>(outPtr - out);
}

// Hands each character's code to accept, empty for a character with none,
// until accept refuses one. Without a converter only ASCII has a code.
template <typename Accept> bool EncodeEach(std::u16string_view text, Accept accept)
{
    iconv_t cd = Open(CP932_CONVERTER, Utf16Name());
    bool whole = true;
    while (!text.empty() && whole) {
        std::size_t consumed = 1;
        char bytes[4] = {static_cast<char>(text[0])};
        std::size_t length = IsOpen(cd) ? EncodeOne(cd, text, consumed, bytes) : text[0] < 0x80 ? 1 : 0;
        whole = accept(std::string_view(bytes, length));
        text.remove_prefix(consumed);
    }
    if (IsOpen(cd))
        iconv_close(cd);
    return whole;
}

// True when the converter turns each ASCII byte into the same code unit, so
// that a packet of ASCII alone can skip it. Code pages may differ there (some
// put a yen sign at 0x5C), hence the check. The ANSI code pages keep no shift
// state, so what came before never changes what an ASCII byte means.
bool LeavesAsciiAsIs(iconv_t cd)
{
    if (!IsOpen(cd))
        return false;
    char ascii[0x80];
    char16_t text[0x80] = {};
    for (int byte = 0; byte < 0x80; ++byte)
        ascii[byte] = static_cast<char>(byte);
    char* in = ascii;
    std::size_t inLeft = sizeof ascii;
    char* out = reinterpret_cast<char*>(text);
    std::size_t outLeft = sizeof text;
    const bool converted = iconv(cd, &in, &inLeft, &out, &outLeft) == 0 && outLeft == 0;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return converted && std::equal(std::begin(text), std::end(text), std::begin(ascii));
}

} // namespace

CodePageDecoder::CodePageDecoder(const char* converter)
    : converter_(Open(Utf16Name(), converter ? converter : CP932_CONVERTER)),
      asciiAsIs_(LeavesAsciiAsIs(static_cast<iconv_t>(converter_)))
{
}

CodePageDecoder::~CodePageDecoder()
{
    if (IsOpen(static_cast<iconv_t>(converter_)))
        iconv_close(static_cast<iconv_t>(converter_));
}

std::u16string CodePageDecoder::Decode(const std::uint8_t* bytes, std::size_t length)
{
    if (asciiAsIs_ && !pendingLead_ &&
        std::all_of(bytes, bytes + length, [](std::uint8_t b) { return b < 0x80; }))
        return std::u16string(bytes, bytes + length);
    std::vector<char> input;
    input.reserve(length + 1);
    if (pendingLead_)
        input.push_back(static_cast<char>(*pendingLead_));
    input.insert(input.end(), bytes, bytes + length);
    pendingLead_.reset();

    // A byte never yields more than one UTF-16 unit.
    std::u16string text(input.size(), u'\0');
    auto cd = static_cast<iconv_t>(converter_);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* out = reinterpret_cast<char*>(text.data());
    std::size_t outLeft = text.size() * sizeof(char16_t);
    auto replaceOne = [&](char16_t replacement) {
        *reinterpret_cast<char16_t*>(out) = replacement;
        ++in, --inLeft, out += sizeof(char16_t), outLeft -= sizeof(char16_t);
    };
    // Without a converter only ASCII can be trusted.
    while (!IsOpen(cd) && inLeft > 0)
        replaceOne(static_cast<std::uint8_t>(*in) < 0x80 ? static_cast<char16_t>(*in)
                                                         : REPLACEMENT_CHARACTER);
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno == EINVAL && inLeft == 1 && IsLeadByte(static_cast<std::uint8_t>(*in))) {
            pendingLead_ = static_cast<std::uint8_t>(*in);
            break;
        }
        // Not valid here: replace one byte and go on with the next, so that a
        // lead byte never swallows the CR or LF after it.
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        replaceOne(REPLACEMENT_CHARACTER);
    }
    text.resize((reinterpret_cast<char16_t*>(out) - text.data()));
    return text;
}

std::string EncodeCodePage(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    EncodeEach(text, [&bytes](std::string_view code) {
        bytes.append(code.empty() ? std::string_view("?") : code);
        return true;
    });
    return bytes;
}

std::optional<std::string> EncodeSingleBytes(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    bool whole = EncodeEach(text, [&bytes](std::string_view code) {
        if (code.size() != 1)
            return false;
        bytes.append(code);
        return true;
    });
    if (!whole)
        return std::nullopt;
    return bytes;
}

bool IsLeadByte(std::uint8_t byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::optional<std::string> MissingConverter(const char* name)
{
    if (!name)
        name = CP932_CONVERTER;
    iconv_t cd = Open(name, Utf16Name());
    if (IsOpen(cd)) {
        iconv_close(cd);
        return std::nullopt;
    }
    return std::string("This system's iconv has no converter for code page 932 (") + name +
           "), so only ASCII text can be sent and shown. Install the system's iconv converters "
           "(on Debian they come with the libc6 package).";
}
