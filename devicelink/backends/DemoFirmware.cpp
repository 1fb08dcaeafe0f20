#include "devicelink/backends/DemoFirmware.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iterator>
#include <string_view>

namespace {

constexpr std::uint64_t MAX_COUNT = 1'000'000'000;

// The firmware speaks code page 932, whatever the computer's code page is.
constexpr bool IsLeadByteOf932(std::uint8_t byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The command of a packet: its bytes up to the first CR, or, without a CR, up
// to the first NUL.
std::string CommandOf(const std::uint8_t* data, std::size_t length)
{
    const std::uint8_t* end = data + length;
    const std::uint8_t* cr = std::find(data, end, '\r');
    if (cr == end)
        cr = std::find(data, end, '\0');
    return std::string(data, cr);
}

// A line's last packet: what is left of the line, then the CR LF that
// travels with it.
void WriteLastPacket(std::string_view rest, DemoFirmware::Packet& packet)
{
    packet.assign(rest.begin(), rest.end());
    packet.push_back('\r');
    packet.push_back('\n');
}

} // namespace

std::string TrimmedSpaces(const std::string& text)
{
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void DemoFirmware::Receive(const std::uint8_t* data, std::size_t length)
{
    Run(CommandOf(data, length));
}

void DemoFirmware::Run(const std::string& command)
{
    std::string trimmed = TrimmedSpaces(command);
    std::string upper = Upper(trimmed);
    std::string word = upper.substr(0, upper.find(' '));
    std::string rest = TrimmedSpaces(trimmed.substr(word.size()));

    if (trimmed.empty())
        return;
    if (word == "HELP" || word == "?") {
        Answer("Pellmark demo device. Commands:");
        Answer("HELP        this list");
        Answer("ECHO text   answers with the text");
        Answer("LED ON/OFF  switches the LED");
        Answer("COUNT n     sends n numbered lines");
        Answer("STOP        ends COUNT");
        Answer("KANA        answers in Japanese");
        Answer("RESET       answers OK, then leaves the bus and comes back a second later");
        Answer("VERSION     the firmware's version");
        Answer("PROMPT      a prompt without a line end");
    } else if (word == "ECHO") {
        // Everything after "ECHO" and one space, further spaces kept.
        std::size_t at = command.find_first_not_of(' ') + word.size();
        if (at < command.size() && command[at] == ' ')
            ++at;
        Answer(command.substr(std::min(at, command.size())));
    } else if (upper == "LED ON" || upper == "LED OFF") {
        Answer("OK");
    } else if (word == "COUNT") {
        std::uint64_t n = 0;
        auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), n);
        if (rest.empty() || error != std::errc() || end != rest.data() + rest.size() || n > MAX_COUNT) {
            Answer("ERR COUNT takes a number from 0 to 1000000000");
            return;
        }
        streamNext_ = 1;
        streamEnd_ = n + 1;
    } else if (upper == "RESET") {
        Clear();
        Answer("OK");
        resetting_ = true;
    } else if (upper == "STOP") {
        streamNext_ = streamEnd_ = 0;
        Answer("OK");
    } else if (upper == "VERSION") {
        Answer("Pellmark demo firmware 1.4.2");
    } else if (upper == "PROMPT") {
        Queue(Packet{'d', 'e', 'm', 'o', '>', ' '});
    } else if (word == "KANA") {
        Answer("\xC3\xDE\xD3 \xC3\xDE\xCA\xDE\xB2\xBD"); // ﾃﾞﾓ ﾃﾞﾊﾞｲｽ
        // こんにちは、世界。送受信テスト
        Answer("\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD\x81\x41\x90\xA2\x8A\x45\x81\x42\x91\x97"
               "\x8E\xF3\x90\x4D\x83\x65\x83\x58\x83\x67");
    } else {
        Answer("ERR unknown command, try HELP");
    }
}

void DemoFirmware::Answer(const std::string& line)
{
    // Split over packets so that CR LF travel together in the last one and no
    // double-byte character is cut in two.
    std::size_t start = 0;
    while (line.size() - start + 2 > PACKET_SIZE) {
        std::size_t end = start;
        while (end < line.size()) {
            std::size_t width = IsLeadByteOf932(static_cast<std::uint8_t>(line[end])) ? 2 : 1;
            if (end + width - start > PACKET_SIZE)
                break;
            end += width;
        }
        Queue(Packet(line.begin() + static_cast<std::ptrdiff_t>(start),
                     line.begin() + static_cast<std::ptrdiff_t>(std::min(end, line.size()))));
        start = std::min(end, line.size());
    }
    Packet last;
    WriteLastPacket(std::string_view(line).substr(start), last);
    Queue(std::move(last));
}

void DemoFirmware::Queue(Packet packet)
{
    if (queue_.size() < QUEUE_LIMIT)
        queue_.push_back(std::move(packet));
}

bool DemoFirmware::NextPacket(Packet& packet)
{
    if (queue_.empty() && streamNext_ < streamEnd_) {
        // The stream's hot path: its line is one packet, written in place
        // rather than queued.
        static_assert(sizeof "LINE 1000000000\r\n" - 1 <= PACKET_SIZE && MAX_COUNT == 1'000'000'000);
        static constexpr std::string_view WORD = "LINE ";
        char line[24];
        const char* end =
            std::to_chars(std::copy(WORD.begin(), WORD.end(), line), std::end(line), streamNext_++).ptr;
        WriteLastPacket(std::string_view(line, static_cast<std::size_t>(end - line)), packet);
        return true;
    }
    if (queue_.empty())
        return false;
    packet = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

void DemoFirmware::Clear()
{
    queue_.clear();
    streamNext_ = streamEnd_ = 0;
    resetting_ = false;
}

bool DemoFirmware::ResetDue() const
{
    return resetting_ && queue_.empty();
}
