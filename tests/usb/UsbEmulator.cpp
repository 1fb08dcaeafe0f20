#include "tests/usb/UsbEmulator.h"

#include "tests/usb/RefusedNodes.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <umockdev.h>

namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    char pair[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        text += pair;
    }
    return text;
}

// The device descriptor followed by the whole configuration descriptor, as
// sysfs gives them in "descriptors".
std::vector<std::uint8_t> Descriptors(const EmulatedDeviceSpec& spec)
{
    const std::uint8_t type = spec.interrupt ? 0x03 : 0x02;
    const std::uint8_t interval = spec.interrupt ? 1 : 0;
    const auto lo = [](std::uint16_t v) { return static_cast<std::uint8_t>(v & 0xff); };
    const auto hi = [](std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); };
    return {// device: USB 2.0, vendor class in the interface, EP0 of 64 bytes, one configuration
            18, 1, 0x00, 0x02, 0, 0, 0, 64, lo(spec.vendor), hi(spec.vendor), lo(spec.product),
            hi(spec.product), 0x00, 0x01, static_cast<std::uint8_t>(spec.manufacturer.empty() ? 0 : 1),
            static_cast<std::uint8_t>(spec.productName.empty() ? 0 : 2),
            static_cast<std::uint8_t>(spec.serial.empty() ? 0 : 3), 1,
            // configuration 1: 32 bytes in all, one interface, bus powered, 100 mA
            9, 2, 32, 0, 1, 1, 0, 0x80, 50,
            // interface 0: two endpoints, vendor class
            9, 4, 0, 0, 2, 0xff, 0, 0, 0,
            // endpoints 0x01 OUT and 0x81 IN
            7, 5, 0x01, type, lo(spec.maxPacket), hi(spec.maxPacket), interval, 7, 5, 0x81, type,
            lo(spec.maxPacket), hi(spec.maxPacket), interval};
}

usbdevfs_urb* View(UMockdevIoctlData* urb)
{
    return reinterpret_cast<usbdevfs_urb*>(urb->data);
}

} // namespace

UsbEmulator::UsbEmulator() : testbed_(umockdev_testbed_new()) {}

UsbEmulator::~UsbEmulator()
{
    for (auto& device : devices_) {
        std::lock_guard lock(device->mutex_);
        for (auto* queue : {&device->parked_, &device->completed_})
            for (auto& urb : *queue)
                g_object_unref(urb.urb);
    }
    for (UMockdevIoctlBase* handler : handlers_)
        g_object_unref(handler);
    g_object_unref(testbed_);
    ClearRefusedNodes();
}

EmulatedDevice& UsbEmulator::AddDevice(const EmulatedDeviceSpec& spec)
{
    return Add(spec, static_cast<int>(devices_.size()) + 1);
}

EmulatedDevice& UsbEmulator::Return(EmulatedDevice& unplugged)
{
    umockdev_testbed_remove_device(testbed_, unplugged.sysfsPath_.c_str());
    return Add(unplugged.spec_, unplugged.number_);
}

EmulatedDevice& UsbEmulator::Add(const EmulatedDeviceSpec& spec, int number)
{
    auto device = std::make_unique<EmulatedDevice>();
    const int devnum = nextDevnum_++;
    device->spec_ = spec;
    device->number_ = number;
    char node[32];
    std::snprintf(node, sizeof node, "bus/usb/001/%03d", devnum);
    device->testbed_ = testbed_;
    device->maxPacket_ = spec.maxPacket;
    device->sysfsPath_ = "/sys/devices/usb1/1-" + std::to_string(number);
    device->nodePath_ = std::string("/dev/") + node;

    // The handler must be in place before the device appears.
    UMockdevIoctlBase* handler = umockdev_ioctl_base_new();
    g_signal_connect(handler, "handle-ioctl", G_CALLBACK(EmulatedDevice::HandleIoctl), device.get());
    GError* error = nullptr;
    umockdev_testbed_attach_ioctl(testbed_, (std::string("/dev/") + node).c_str(), handler, &error);
    if (error) {
        std::fprintf(stderr, "attach_ioctl: %s\n", error->message);
        g_clear_error(&error);
    }
    handlers_.push_back(handler);

    char product[32];
    std::snprintf(product, sizeof product, "%x/%x/100", spec.vendor, spec.product);
    std::string record =
        "P: /devices/usb1/1-" + std::to_string(number) + "\nN: " + node +
        "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\nE: BUSNUM=001\nE: DEVNUM=" +
        std::string(node + 12) + "\nE: DEVNAME=/dev/" + node + "\nE: PRODUCT=" + product +
        "\nA: busnum=1\nA: devnum=" + std::to_string(devnum) +
        "\nA: speed=" + (spec.maxPacket > 64 ? "480" : "12") +
        "\nA: bConfigurationValue=1\nH: descriptors=" + Hex(Descriptors(spec)) + "\n";
    if (!umockdev_testbed_add_from_string(testbed_, record.c_str(), &error)) {
        std::fprintf(stderr, "add_from_string: %s\n", error->message);
        g_clear_error(&error);
    }
    devices_.push_back(std::move(device));
    return *devices_.back();
}

void EmulatedDevice::QueueReply(const std::string& bytes)
{
    std::lock_guard lock(mutex_);
    replies_.emplace_back(bytes.begin(), bytes.end());
}

void EmulatedDevice::QueueUnfinished(const std::string& bytes)
{
    std::lock_guard lock(mutex_);
    unfinished_ = true;
    replies_.emplace_back(bytes.begin(), bytes.end());
}

void EmulatedDevice::SetFirmware(std::function<std::vector<std::string>(const Packet&)> firmware)
{
    std::lock_guard lock(mutex_);
    firmware_ = std::move(firmware);
}

std::vector<Packet> EmulatedDevice::Written()
{
    std::lock_guard lock(mutex_);
    return writtenPackets_;
}

bool EmulatedDevice::WaitForWritten(std::size_t count, int timeoutMs)
{
    std::unique_lock lock(mutex_);
    return written_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return writtenPackets_.size() >= count; });
}

bool EmulatedDevice::Claimed()
{
    std::lock_guard lock(mutex_);
    return claimed_;
}

void EmulatedDevice::SetBusy(bool busy)
{
    std::lock_guard lock(mutex_);
    busy_ = busy;
}

void EmulatedDevice::SetStalled(bool stalled)
{
    std::lock_guard lock(mutex_);
    stalled_ = stalled;
}

int EmulatedDevice::HaltsCleared()
{
    std::lock_guard lock(mutex_);
    return haltsCleared_;
}

bool EmulatedDevice::Halts(unsigned endpoint)
{
    if (stalled_ && std::find(halted_.begin(), halted_.end(), endpoint) == halted_.end())
        halted_.push_back(endpoint);
    return std::find(halted_.begin(), halted_.end(), endpoint) != halted_.end();
}

void EmulatedDevice::RefuseAccess()
{
    RefuseNode(nodePath_);
}

void EmulatedDevice::Unplug()
{
    {
        std::lock_guard lock(mutex_);
        unplugged_ = true;
        claimed_ = false;
    }
    umockdev_testbed_uevent(testbed_, sysfsPath_.c_str(), "remove");
}

int EmulatedDevice::HandleIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self)
{
    static_cast<EmulatedDevice*>(self)->Ioctl(client);
    return TRUE;
}

void EmulatedDevice::Ioctl(UMockdevIoctlClient* client)
{
    std::lock_guard lock(mutex_);
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);

    if (request == USBDEVFS_REAPURBNDELAY) {
        Reap(client, arg);
        return;
    }
    if (unplugged_) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return;
    }
    switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
        UMockdevIoctlData* caps = umockdev_ioctl_data_resolve(arg, 0, sizeof(std::uint32_t), nullptr);
        *reinterpret_cast<std::uint32_t*>(caps->data) =
            USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
        umockdev_ioctl_client_complete(client, 0, 0);
        g_object_unref(caps);
        return;
    }
    case USBDEVFS_CLEAR_HALT: {
        UMockdevIoctlData* endpoint = umockdev_ioctl_data_resolve(arg, 0, sizeof(unsigned), nullptr);
        const unsigned address = *reinterpret_cast<unsigned*>(endpoint->data);
        halted_.erase(std::remove(halted_.begin(), halted_.end(), address), halted_.end());
        ++haltsCleared_;
        umockdev_ioctl_client_complete(client, 0, 0);
        g_object_unref(endpoint);
        return;
    }
    case USBDEVFS_GETDRIVER: // no kernel driver is bound, so none to detach
    case USBDEVFS_IOCTL:
        umockdev_ioctl_client_complete(client, -1, ENODATA);
        return;
    case USBDEVFS_CLAIMINTERFACE:
        if (busy_) {
            umockdev_ioctl_client_complete(client, -1, EBUSY);
            return;
        }
        claimed_ = true;
        umockdev_ioctl_client_complete(client, 0, 0);
        return;
    case USBDEVFS_RELEASEINTERFACE:
        claimed_ = false;
        umockdev_ioctl_client_complete(client, 0, 0);
        return;
    case USBDEVFS_SUBMITURB:
        Submit(client, arg);
        return;
    case USBDEVFS_DISCARDURB:
        Discard(client, arg);
        return;
    default:
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
    }
}

void EmulatedDevice::Submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg)
{
    UMockdevIoctlData* urb = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
    usbdevfs_urb* view = View(urb);
    UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(urb, offsetof(usbdevfs_urb, buffer),
                                                            static_cast<gsize>(view->buffer_length), nullptr);
    g_object_ref(urb);
    Urb transfer{urb, buffer};
    if (view->type == USBDEVFS_URB_TYPE_CONTROL) {
        Control(transfer);
    } else if (Halts(view->endpoint)) {
        Finish(transfer, -EPIPE);
    } else if ((view->endpoint & 0x80) == 0) {
        // OUT: the device takes the bytes at once.
        Packet packet(buffer->data, buffer->data + view->buffer_length);
        writtenPackets_.push_back(packet);
        transfer.filled = packet.size();
        if (firmware_)
            for (const std::string& reply : firmware_(packet))
                replies_.emplace_back(reply.begin(), reply.end());
        Finish(transfer, 0);
        written_.notify_all();
    } else {
        parked_.push_back(transfer);
    }
    // What the device already holds goes into a waiting transfer now, not at
    // the next reap: a loaded machine may let a short time-out come first.
    Pump();
    umockdev_ioctl_client_complete(client, 0, 0);
}

void EmulatedDevice::Control(Urb& transfer)
{
    // The buffer starts with the setup packet; the data stage follows it.
    std::uint8_t* setup = transfer.buffer->data;
    const auto capacity = static_cast<std::size_t>(View(transfer.urb)->buffer_length);
    const std::uint8_t index = setup[2];
    const bool stringAsked = setup[0] == 0x80 && setup[1] == 6 && setup[3] == 3 && capacity > 8;
    const std::string* strings[] = {&spec_.manufacturer, &spec_.productName, &spec_.serial};
    if (!stringAsked || index > 3 || (index > 0 && strings[index - 1]->empty())) {
        Finish(transfer, -EPIPE); // a request it does not know stalls, as devices do
        return;
    }
    std::vector<std::uint8_t> descriptor{0, 3, 0x09, 0x04}; // string 0: US English only
    if (index > 0)
        descriptor.resize(2);
    for (char c : index > 0 ? *strings[index - 1] : std::string())
        descriptor.insert(descriptor.end(), {static_cast<std::uint8_t>(c), 0});
    descriptor[0] = static_cast<std::uint8_t>(descriptor.size());
    const std::size_t length = std::min<std::size_t>(
        {descriptor.size(), capacity - 8, static_cast<std::size_t>(setup[6] | setup[7] << 8)});
    std::copy_n(descriptor.begin(), length, setup + 8);
    transfer.filled = length;
    Finish(transfer, 0);
}

void EmulatedDevice::Pump()
{
    // Packets go into waiting IN transfers as the host controller would put
    // them: a transfer ends on a short packet or when its buffer is full.
    while (!parked_.empty() && !replies_.empty()) {
        Urb& urb = parked_.front();
        Packet packet = std::move(replies_.front());
        replies_.pop_front();
        const auto capacity = static_cast<std::size_t>(View(urb.urb)->buffer_length);
        if (packet.size() > capacity - urb.filled) {
            Finish(urb, -EOVERFLOW);
            parked_.pop_front();
            continue;
        }
        std::copy(packet.begin(), packet.end(), urb.buffer->data + urb.filled);
        urb.filled += packet.size();
        if (!unfinished_ && (packet.size() < maxPacket_ || urb.filled == capacity)) {
            Finish(urb, 0);
            parked_.pop_front();
        }
    }
}

void EmulatedDevice::Finish(Urb urb, int status)
{
    usbdevfs_urb* view = View(urb.urb);
    view->status = status;
    view->actual_length = static_cast<int>(urb.filled);
    completed_.push_back(urb);
}

void EmulatedDevice::Reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg)
{
    if (unplugged_) {
        // Transfers under way end with the device.
        while (!parked_.empty()) {
            Finish(parked_.front(), -ESHUTDOWN);
            parked_.pop_front();
        }
    } else if (Halts(0x81)) {
        while (!parked_.empty()) {
            Finish(parked_.front(), -EPIPE);
            parked_.pop_front();
        }
    }
    Pump();
    if (completed_.empty()) {
        umockdev_ioctl_client_complete(client, -1, unplugged_ ? ENODEV : EAGAIN);
        return;
    }
    Urb urb = completed_.front();
    completed_.pop_front();
    UMockdevIoctlData* target = umockdev_ioctl_data_resolve(arg, 0, sizeof(void*), nullptr);
    umockdev_ioctl_data_set_ptr(target, 0, urb.urb);
    umockdev_ioctl_client_complete(client, 0, 0);
    g_object_unref(urb.urb);
}

void EmulatedDevice::Discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg)
{
    // libusb's time-out: the transfer ends with what it has so far.
    const gulong address = *reinterpret_cast<gulong*>(arg->data);
    for (auto it = parked_.begin(); it != parked_.end(); ++it) {
        if (it->urb->client_addr == address) {
            Finish(*it, -ENOENT);
            parked_.erase(it);
            unfinished_ = false;
            umockdev_ioctl_client_complete(client, 0, 0);
            return;
        }
    }
    umockdev_ioctl_client_complete(client, -1, EINVAL);
}
