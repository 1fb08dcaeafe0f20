#include "devicelink/backends/LibusbBackend.h"

#include <algorithm>
#include <cstdio>
#include <libusb.h>
#include <optional>
#include <vector>

#include "devicelink/DeviceIdentifier.h"

namespace {

constexpr int INTERFACE_NUMBER = 0;
const std::string ENDPOINT_PREFIX = "\\MCHP_EP";

// libusb's errors as the platform's error codes.
std::uint32_t ErrorCodeOf(int error)
{
    switch (error) {
    case LIBUSB_ERROR_TIMEOUT:
        return ErrorCode::Timeout;
    case LIBUSB_ERROR_NO_DEVICE:
        return ErrorCode::DeviceNotConnected;
    case LIBUSB_ERROR_ACCESS:
        return ErrorCode::AccessDenied;
    case LIBUSB_ERROR_BUSY:
        return ErrorCode::Busy;
    default:
        return ErrorCode::GenFailure;
    }
}

// The n of "\MCHP_EPn", from 1 to 15; 0 when the name is not of that form.
int EndpointNumber(const std::string& endpoint)
{
    if (endpoint.rfind(ENDPOINT_PREFIX, 0) != 0)
        return 0;
    std::string digits = endpoint.substr(ENDPOINT_PREFIX.size());
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (digits.empty() || digits.size() > 2 || !std::all_of(digits.begin(), digits.end(), isDigit))
        return 0;
    int number = std::stoi(digits);
    return number >= 1 && number <= 15 ? number : 0;
}

// Where the device is plugged in: "BUS-PORT.PORT".
std::string PortOf(libusb_device* device)
{
    std::string port = std::to_string(libusb_get_bus_number(device)) + "-";
    std::uint8_t numbers[8];
    const int depth = libusb_get_port_numbers(device, numbers, sizeof numbers);
    for (int p = 0; p < depth; ++p)
        port += (p ? "." : "") + std::to_string(numbers[p]);
    return depth > 0 ? port : port + "0";
}

// The device's strings, read by opening it (never by claiming it); the
// problem instead when it cannot be opened.
AttachedDevice StringsOf(libusb_device* device, const libusb_device_descriptor& descriptor)
{
    AttachedDevice strings;
    libusb_device_handle* handle = nullptr;
    if (const int error = libusb_open(device, &handle); error != 0) {
        strings.problem = error == LIBUSB_ERROR_ACCESS
                              ? "no permission: its strings cannot be read either; install the udev rule"
                              : std::string("cannot be opened: ") + libusb_strerror(error);
        return strings;
    }
    auto text = [handle](std::uint8_t index) {
        unsigned char bytes[256];
        const int length = index ? libusb_get_string_descriptor_ascii(handle, index, bytes, sizeof bytes) : 0;
        return length > 0 ? std::string(reinterpret_cast<char*>(bytes), static_cast<std::size_t>(length))
                          : std::string();
    };
    strings.manufacturer = text(descriptor.iManufacturer);
    strings.product = text(descriptor.iProduct);
    strings.serial = text(descriptor.iSerialNumber);
    libusb_close(handle);
    return strings;
}

// A serial that an identifier's "sn_" word can carry.
bool Nameable(const std::string& serial)
{
    return !serial.empty() &&
           std::all_of(serial.begin(), serial.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

// The attached devices, for as long as it lives.
class LibusbDevices {
public:
    explicit LibusbDevices(libusb_context* context)
    {
        count_ = context ? libusb_get_device_list(context, &list_) : 0;
    }
    ~LibusbDevices()
    {
        if (list_)
            libusb_free_device_list(list_, 1);
    }
    LibusbDevices(const LibusbDevices&) = delete;
    LibusbDevices& operator=(const LibusbDevices&) = delete;

    // The devices with these ids (and serial or port, when they name one),
    // in libusb's order.
    std::vector<libusb_device*> Matching(const UsbIds& ids) const
    {
        std::vector<libusb_device*> found;
        for (ssize_t i = 0; i < count_; ++i) {
            libusb_device_descriptor descriptor{};
            if (libusb_get_device_descriptor(list_[i], &descriptor) == 0 &&
                descriptor.idVendor == ids.vendor && descriptor.idProduct == ids.product &&
                (ids.port.empty() || PortOf(list_[i]) == ids.port) &&
                (ids.serial.empty() || StringsOf(list_[i], descriptor).serial == ids.serial))
                found.push_back(list_[i]);
        }
        return found;
    }
    libusb_device* const* begin() const { return list_; }
    libusb_device* const* end() const { return list_ + std::max<ssize_t>(count_, 0); }

private:
    libusb_device** list_ = nullptr;
    ssize_t count_ = 0;
};

struct EndpointKind {
    bool interrupt;
    std::uint16_t maxPacket;
};

// A bulk or interrupt endpoint of interface 0 with this address.
std::optional<EndpointKind> EndpointOf(libusb_device* device, std::uint8_t address)
{
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != 0)
        return std::nullopt;
    std::optional<EndpointKind> found;
    for (int a = 0;
         config->bNumInterfaces > INTERFACE_NUMBER && a < config->interface[INTERFACE_NUMBER].num_altsetting;
         ++a) {
        const libusb_interface_descriptor& setting = config->interface[INTERFACE_NUMBER].altsetting[a];
        for (int e = 0; e < setting.bNumEndpoints && !found; ++e) {
            const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
            const int type = endpoint.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK;
            if (endpoint.bEndpointAddress == address &&
                (type == LIBUSB_TRANSFER_TYPE_BULK || type == LIBUSB_TRANSFER_TYPE_INTERRUPT))
                found = EndpointKind{type == LIBUSB_TRANSFER_TYPE_INTERRUPT,
                                     static_cast<std::uint16_t>(endpoint.wMaxPacketSize & 0x7FF)};
        }
    }
    libusb_free_config_descriptor(config);
    return found;
}

} // namespace

struct LibusbBackend::Claim {
    libusb_device_handle* handle;
    ~Claim()
    {
        libusb_release_interface(handle, INTERFACE_NUMBER);
        libusb_close(handle);
    }
};

LibusbBackend::~LibusbBackend()
{
    pipes_.clear();
    claims_.clear();
    if (context_)
        libusb_exit(context_);
}

libusb_context* LibusbBackend::Context()
{
    // Started on first use; a libusb that cannot start means no devices.
    if (!context_ && !contextFailed_) {
        contextFailed_ = libusb_init(&context_) != 0;
        if (!contextFailed_ && libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG))
            libusb_hotplug_register_callback(
                context_,
                static_cast<libusb_hotplug_event>(LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED |
                                                  LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT),
                0, LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY,
                [](libusb_context* context, libusb_device* device, libusb_hotplug_event event, void* self) {
                    return HotPlugged(context, device, event, self);
                },
                this, nullptr);
    }
    return contextFailed_ ? nullptr : context_;
}

int LibusbBackend::HotPlugged(libusb_context*, libusb_device*, int, void* self)
{
    ++static_cast<LibusbBackend*>(self)->changes_;
    return 0; // stay registered
}

std::vector<int> LibusbBackend::WakeDescriptors()
{
    // Taken before any device is open: a device's own descriptor becomes
    // ready with its transfers, which the transfers handle themselves.
    std::vector<int> descriptors;
    if (libusb_context* context = Context()) {
        const libusb_pollfd** polled = libusb_get_pollfds(context);
        for (int i = 0; polled && polled[i]; ++i)
            descriptors.push_back(polled[i]->fd);
        libusb_free_pollfds(polled);
    }
    return descriptors;
}

void LibusbBackend::HandleWakeUps()
{
    timeval now{0, 0};
    if (context_)
        libusb_handle_events_timeout_completed(context_, &now, nullptr);
}

std::vector<AttachedDevice> LibusbBackend::Attached()
{
    std::vector<AttachedDevice> attached;
    std::vector<std::string> ports;
    for (libusb_device* device : LibusbDevices(Context())) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(device, &descriptor) != 0 || !EndpointOf(device, 0x01) ||
            !EndpointOf(device, 0x81))
            continue;
        AttachedDevice entry = StringsOf(device, descriptor);
        char id[32];
        std::snprintf(id, sizeof id, "vid_%04x&pid_%04x", descriptor.idVendor, descriptor.idProduct);
        entry.id = id;
        ports.push_back(PortOf(device));
        const std::string& port = ports.back();
        entry.place = "bus " + port.substr(0, port.find('-')) + " port " + port.substr(port.find('-') + 1);
        attached.push_back(std::move(entry));
    }
    // Devices alike are told apart by serial number, or by place when they have none.
    std::vector<std::string> ids;
    for (const AttachedDevice& device : attached)
        ids.push_back(device.id);
    for (std::size_t i = 0; i < attached.size(); ++i) {
        if (std::count(ids.begin(), ids.end(), ids[i]) < 2)
            continue;
        bool serialAlone = true;
        for (std::size_t j = 0; j < attached.size(); ++j)
            serialAlone =
                serialAlone && (j == i || ids[j] != ids[i] || attached[j].serial != attached[i].serial);
        attached[i].id +=
            Nameable(attached[i].serial) && serialAlone ? " sn_" + attached[i].serial : " port_" + ports[i];
    }
    return attached;
}

bool LibusbBackend::Selects(const std::string& deviceId) const
{
    return ParseDeviceIdentifier(deviceId).has_value();
}

std::int32_t LibusbBackend::MPUSBGetDeviceCount(const std::string& deviceId)
{
    auto ids = ParseDeviceIdentifier(deviceId);
    if (!ids)
        return 0;
    return static_cast<std::int32_t>(LibusbDevices(Context()).Matching(*ids).size());
}

std::shared_ptr<LibusbBackend::Claim> LibusbBackend::ClaimOf(libusb_device* device, int& error)
{
    const auto key =
        static_cast<std::uint16_t>(libusb_get_bus_number(device) << 8 | libusb_get_device_address(device));
    if (std::shared_ptr<Claim> claim = claims_[key].lock())
        return claim;
    libusb_device_handle* handle = nullptr;
    if ((error = libusb_open(device, &handle)) != 0)
        return nullptr;
    // A kernel driver bound to the interface is detached for the claim and
    // given back on release.
    libusb_set_auto_detach_kernel_driver(handle, 1);
    if ((error = libusb_claim_interface(handle, INTERFACE_NUMBER)) != 0) {
        libusb_close(handle);
        return nullptr;
    }
    auto claim = std::shared_ptr<Claim>(new Claim{handle});
    claims_[key] = claim;
    return claim;
}

PipeHandle LibusbBackend::MPUSBOpen(std::int32_t instance, const std::string& deviceId,
                                    const std::string& endpoint, std::int32_t direction,
                                    std::int32_t /*reserved*/)
{
    const int number = EndpointNumber(endpoint);
    if (number == 0 || (direction != DIRECTION_WRITE && direction != DIRECTION_READ)) {
        lastError_.code = ErrorCode::GenFailure;
        return INVALID_PIPE;
    }
    auto ids = ParseDeviceIdentifier(deviceId);
    LibusbDevices list(ids ? Context() : nullptr);
    std::vector<libusb_device*> found = ids ? list.Matching(*ids) : std::vector<libusb_device*>{};
    if (instance < 0 || static_cast<std::size_t>(instance) >= found.size()) {
        lastError_.code = ErrorCode::DeviceNotConnected;
        return INVALID_PIPE;
    }
    libusb_device* device = found[static_cast<std::size_t>(instance)];

    int error = 0;
    std::shared_ptr<Claim> claim = ClaimOf(device, error);
    if (!claim) {
        lastError_.code = ErrorCodeOf(error);
        return INVALID_PIPE;
    }
    const auto address = static_cast<std::uint8_t>(number | (direction == DIRECTION_READ ? 0x80 : 0));
    std::optional<EndpointKind> kind = EndpointOf(device, address);
    // An endpoint that takes no bytes at all cannot carry lines. The claim goes
    // with the last pipe that holds it.
    if (!kind || kind->maxPacket == 0) {
        lastError_.code = ErrorCode::GenFailure;
        return INVALID_PIPE;
    }
    PipeHandle handle = nextHandle_++;
    pipes_.emplace(handle, Pipe{std::move(claim), address, kind->interrupt, kind->maxPacket,
                                std::vector<std::uint8_t>(kind->maxPacket), 0, 0});
    return handle;
}

LibusbBackend::Pipe* LibusbBackend::PipeFor(PipeHandle pipe, bool in)
{
    auto found = pipes_.find(pipe);
    if (found == pipes_.end() || ((found->second.address & 0x80) != 0) != in)
        return nullptr;
    return &found->second;
}

std::int32_t LibusbBackend::Transfer(const Pipe& pipe, std::uint8_t* data, std::int32_t length,
                                     std::int32_t* transferred, std::int32_t timeoutMs)
{
    // libusb waits for ever on a time-out of 0.
    const auto timeout = static_cast<unsigned int>(std::max(timeoutMs, 1));
    int done = 0;
    int result =
        pipe.interrupt
            ? libusb_interrupt_transfer(pipe.device->handle, pipe.address, data, length, &done, timeout)
            : libusb_bulk_transfer(pipe.device->handle, pipe.address, data, length, &done, timeout);
    *transferred = done;
    // A stalled endpoint stays halted until the host clears it; cleared now,
    // the next transfer works once the device has recovered.
    if (result == LIBUSB_ERROR_PIPE)
        libusb_clear_halt(pipe.device->handle, pipe.address);
    return result;
}

std::int32_t LibusbBackend::MPUSBWrite(PipeHandle pipe, const std::uint8_t* data, std::int32_t length,
                                       std::int32_t* sentLength, std::int32_t timeoutMs)
{
    Pipe* out = PipeFor(pipe, false);
    if (!out || !data || length < 0)
        return lastError_.Fail(ErrorCode::InvalidHandle);
    std::int32_t sent = 0;
    int result = Transfer(*out, const_cast<std::uint8_t*>(data), length, &sent, timeoutMs);
    if (sentLength)
        *sentLength = sent;
    return result == 0 ? 1 : lastError_.Fail(ErrorCodeOf(result));
}

std::int32_t LibusbBackend::MPUSBRead(PipeHandle pipe, std::uint8_t* data, std::int32_t length,
                                      std::int32_t* receivedLength, std::int32_t timeoutMs)
{
    Pipe* in = PipeFor(pipe, true);
    if (!in || !data || length < 0)
        return lastError_.Fail(ErrorCode::InvalidHandle);
    if (in->taken == in->filled) {
        // One whole packet of the endpoint's size: a smaller request would
        // overflow on a larger packet, a larger one would wait for a second.
        std::int32_t received = 0;
        int result = Transfer(*in, in->packet.data(), in->maxPacket, &received, timeoutMs);
        // Bytes that arrived just as the time ran out are still bytes received.
        if (result != 0 && !(result == LIBUSB_ERROR_TIMEOUT && received > 0))
            return lastError_.Fail(ErrorCodeOf(result));
        in->filled = static_cast<std::size_t>(received);
        in->taken = 0;
        // A packet larger than the read is handed on only up to its first CR,
        // over as many reads as that takes: the rest would be cut off anyway,
        // and a read that began after that CR would start mid-line.
        if (in->filled > static_cast<std::size_t>(length)) {
            const auto end = in->packet.begin() + static_cast<std::ptrdiff_t>(in->filled);
            const auto cr = std::find(in->packet.begin(), end, '\r');
            if (cr != end)
                in->filled = static_cast<std::size_t>(cr - in->packet.begin()) + 1;
        }
    }
    const std::size_t given = std::min(in->filled - in->taken, static_cast<std::size_t>(length));
    std::copy_n(in->packet.begin() + static_cast<std::ptrdiff_t>(in->taken), given, data);
    in->taken += given;
    if (receivedLength)
        *receivedLength = static_cast<std::int32_t>(given);
    return 1;
}

std::int32_t LibusbBackend::MPUSBClose(PipeHandle pipe)
{
    if (pipes_.erase(pipe) == 0)
        return lastError_.Fail(ErrorCode::InvalidHandle);
    return 1;
}
