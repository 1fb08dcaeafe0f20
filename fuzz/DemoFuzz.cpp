// Commands of any bytes to the demo device: its answers stay within a packet,
// its queue stays bounded, a stream can always be stopped, and a write fails
// only once RESET has made the device leave.
#include <cstdlib>

#include "devicelink/backends/DemoDevice.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    DemoDevice device;
    const PipeHandle out = device.MPUSBOpen(0, "demo", "\\MCHP_EP1", DIRECTION_WRITE, 0);
    const PipeHandle in = device.MPUSBOpen(0, "demo", "\\MCHP_EP1", DIRECTION_READ, 0);
    std::uint8_t buffer[65];
    std::int32_t length = 0;
    while (!input.Empty()) {
        const std::string command = input.Bytes(input.Byte() % 24);
        if (device.MPUSBWrite(out, reinterpret_cast<const std::uint8_t*>(command.data()),
                              static_cast<std::int32_t>(command.size()), nullptr, 1000) != 1) {
            if (device.GetLastError() != ErrorCode::DeviceNotConnected)
                std::abort();
            return 0;
        }
        for (int reads = input.Byte() % 8; reads > 0; --reads)
            if (device.MPUSBRead(in, buffer, 65, &length, 0) == 1 && (length < 0 || length > 64))
                std::abort();
    }
    const std::uint8_t stop[] = "STOP\r";
    device.MPUSBWrite(out, stop, 5, nullptr, 1000);
    int left = 0;
    while (device.MPUSBRead(in, buffer, 65, &length, 0) == 1)
        if (++left > static_cast<int>(DemoFirmware::QUEUE_LIMIT) + 1)
            std::abort();
    return 0;
}
