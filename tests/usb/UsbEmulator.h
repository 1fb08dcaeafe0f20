#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;

using Packet = std::vector<std::uint8_t>;

struct EmulatedDeviceSpec {
    std::uint16_t vendor = 0x04d8;
    std::uint16_t product = 0x0011;
    bool interrupt = false;       // bulk endpoints unless set
    std::uint16_t maxPacket = 64; // 512 makes it a high-speed device
    // The device's strings; an empty one is not there.
    std::string manufacturer = {};
    std::string productName = {};
    std::string serial = {};
};

// One emulated USB device: interface 0 (vendor class) with endpoints 0x01 OUT
// and 0x81 IN (64-byte packets unless its EmulatedDeviceSpec says otherwise). It answers libusb's usbfs
// requests as the kernel would. Its ioctls run on umockdev's worker thread; the controls may be used from any
// thread.
class EmulatedDevice {
public:
    // Queues one packet for the IN endpoint (at most its packet size).
    void QueueReply(const std::string& bytes);
    // Puts bytes into the next IN transfer without ending it, as a device that
    // stops mid-transfer: the host's time-out ends it, holding them.
    void QueueUnfinished(const std::string& bytes);
    // Answers every packet written to the OUT endpoint with these packets.
    void SetFirmware(std::function<std::vector<std::string>(const Packet&)> firmware);
    // Every packet written to the OUT endpoint so far.
    std::vector<Packet> Written();
    bool WaitForWritten(std::size_t count, int timeoutMs);
    bool Claimed();

    void Unplug();
    void SetBusy(bool busy); // claiming interface 0 fails: another program has it
    // While the device stalls, a transfer halts its endpoint; a halted
    // endpoint fails every transfer until the host clears the halt.
    void SetStalled(bool stalled);
    int HaltsCleared();
    // Opening the device node is refused, as for a user without the udev rule.
    void RefuseAccess();
    const std::string& NodePath() const { return nodePath_; }

private:
    friend class UsbEmulator;
    struct Urb {
        UMockdevIoctlData* urb;
        UMockdevIoctlData* buffer;
        std::size_t filled = 0;
    };

    static int HandleIoctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, void* self);
    void Ioctl(UMockdevIoctlClient* client);
    void Submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    // A standard request on endpoint 0: only GET_DESCRIPTOR of a string.
    void Control(Urb& transfer);
    void Reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void Discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void Pump();
    void Finish(Urb urb, int status);
    bool Halts(unsigned endpoint);

    UMockdevTestbed* testbed_ = nullptr;
    std::string sysfsPath_;
    std::string nodePath_;
    std::mutex mutex_;
    std::condition_variable written_;
    std::deque<Packet> replies_;
    std::vector<Packet> writtenPackets_;
    std::deque<Urb> parked_;    // IN transfers waiting for the device
    std::deque<Urb> completed_; // transfers ready to be reaped
    std::function<std::vector<std::string>(const Packet&)> firmware_;
    bool unplugged_ = false;
    bool unfinished_ = false;
    bool busy_ = false;
    bool stalled_ = false;
    std::vector<unsigned> halted_; // endpoint addresses
    int haltsCleared_ = 0;
    bool claimed_ = false;
    std::size_t maxPacket_ = 64;
    EmulatedDeviceSpec spec_;
    int number_ = 0; // its place: port number on bus 1
};

// A umockdev testbed holding emulated devices. Create it before libusb
// starts; the process must run with libumockdev-preload.
class UsbEmulator {
public:
    UsbEmulator();
    ~UsbEmulator();
    EmulatedDevice& AddDevice(const EmulatedDeviceSpec& spec = {});
    // The unplugged device enumerates again in its place, with a new device
    // number, as after a reset: a new device with the same spec.
    EmulatedDevice& Return(EmulatedDevice& unplugged);

private:
    EmulatedDevice& Add(const EmulatedDeviceSpec& spec, int number);
    int nextDevnum_ = 2;
    UMockdevTestbed* testbed_;
    std::vector<UMockdevIoctlBase*> handlers_;
    std::vector<std::unique_ptr<EmulatedDevice>> devices_;
};
