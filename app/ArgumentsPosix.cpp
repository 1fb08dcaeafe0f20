#include "Arguments.h"

#include <string>

namespace {

// The length of the well-formed UTF-8 sequence at bytes[0], or 0.
std::size_t SequenceLength(const unsigned char* bytes, std::size_t available)
{
    const unsigned char lead = bytes[0];
    std::size_t length = 0;
    char32_t least = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead < 0xE0)
        length = 2, least = 0x80;
    else if (lead >= 0xE0 && lead < 0xF0)
        length = 3, least = 0x800;
    else if (lead >= 0xF0 && lead < 0xF5)
        length = 4, least = 0x10000;
    if (length == 0 || length > available)
        return 0;
    char32_t c = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80)
            return 0;
        c = c << 6 | (bytes[i] & 0x3F);
    }
    const bool surrogate = c >= 0xD800 && c < 0xE000;
    return c >= least && c <= 0x10FFFF && !surrogate ? length : 0;
}

QString Decoded(const char* argument)
{
    const std::string bytes(argument);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    QString text;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = SequenceLength(data + i, bytes.size() - i);
        if (length == 0) {
            text += QChar(static_cast<char16_t>(0xDC00 + data[i]));
            ++i;
        } else {
            text += QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(length));
            i += length;
        }
    }
    return text;
}

} // namespace

QStringList ProgramArguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << Decoded(argv[i]);
    return arguments;
}

std::filesystem::path PathOfArgument(const QString& argument)
{
    std::string bytes;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const char16_t c = argument[i].unicode();
        const bool pair =
            QChar::isHighSurrogate(c) && i + 1 < argument.size() && argument[i + 1].isLowSurrogate();
        if (c >= 0xDC80 && c <= 0xDCFF)
            bytes += static_cast<char>(c - 0xDC00); // a byte that was not UTF-8
        else
            bytes += argument.mid(i, pair ? 2 : 1).toStdString();
        i += pair ? 1 : 0;
    }
    return bytes;
}
