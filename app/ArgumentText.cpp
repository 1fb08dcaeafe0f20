#include "app/ArgumentText.h"

#include "common/Arguments.h"
#include "common/TextEscape.h"

namespace {

QString Decoded(const std::string& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    QString text;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(std::string_view(bytes).substr(i));
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

QStringList ArgumentsAsText(const std::vector<std::string>& arguments)
{
    QStringList texts;
    for (const std::string& argument : arguments)
        texts << Decoded(argument);
    return texts;
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
    return PathOfArgument(bytes);
}
