#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// The text without the spaces before and after it.
std::string TrimmedSpaces(const std::string& text);

// The small program that runs on the demo device: it takes command packets
// and answers with lines, one per packet, each ending in CR LF.
//
// Commands (any case): HELP, ECHO text, LED ON, LED OFF, COUNT n (streams n
// numbered lines), STOP (ends a stream), KANA (Japanese text), RESET (answers
// OK, then the device leaves the bus and comes back, as after a reset),
// VERSION, PROMPT ("demo> " without a line end).
class DemoFirmware {
public:
    using Packet = std::vector<std::uint8_t>;

    static constexpr std::size_t PACKET_SIZE = 64;
    static constexpr std::size_t QUEUE_LIMIT = 256; // packets; more are dropped

    // Takes one packet as written to the device.
    void Receive(const std::uint8_t* data, std::size_t length);
    // Queues a packet exactly as given, as if the firmware had sent it.
    void Queue(Packet packet);
    // Takes the next packet to send; false when there is nothing to send.
    bool NextPacket(Packet& packet);
    void Clear();
    // RESET was asked for and its answer has been sent: the device leaves now.
    bool ResetDue() const;

private:
    void Run(const std::string& command);
    void Answer(const std::string& line);

    std::deque<Packet> queue_;
    std::uint64_t streamNext_ = 0;
    std::uint64_t streamEnd_ = 0;
    bool resetting_ = false;
};
