// The device link opens and closes its pipes, and tells what went wrong.
#include "devicelink/DeviceLink.h"
#include "devicelink/MessageSink.h"

namespace {

const std::string ENDPOINT = "\\MCHP_EP1";

} // namespace

std::string NumberText(std::int32_t value)
{
    std::string text = value >= 0 ? " " : "";
    return text += std::to_string(value);
}

void DeviceLink::Note(std::string_view kind, std::string_view detail)
{
    if (!Noted)
        return;
    CodePageDecoder decoder;
    std::u16string text =
        decoder.Decode(reinterpret_cast<const std::uint8_t*>(State.DeviceId.data()), State.DeviceId.size());
    if (!detail.empty()) {
        text += u' ';
        text.append(detail.begin(), detail.end()); // our own texts are ASCII
    }
    Noted(kind, text);
}

void DeviceLink::OpenPipes()
{
    if (std::optional<std::string> problem = OpenPipesQuietly()) {
        Note("failed", "did not open: " + *problem);
        messages_.ShowMessage(*problem);
    }
}

std::optional<std::string> DeviceLink::OpenPipesQuietly()
{
    State.PipesOpen = false;
    decoder_.Reset(); // half a character from an earlier session is no use now

    if (library_.MPUSBGetDeviceCount(State.DeviceId) < 1)
        return "Peripheral device is not connected";
    // The read pipe is opened even when the write pipe failed, so the message
    // can name both.
    State.OutPipe = library_.MPUSBOpen(0, State.DeviceId, ENDPOINT, DIRECTION_WRITE, 0);
    State.InPipe = library_.MPUSBOpen(0, State.DeviceId, ENDPOINT, DIRECTION_READ, 0);
    if (State.OutPipe != INVALID_PIPE && State.InPipe != INVALID_PIPE) {
        State.PipesOpen = true;
        Note("open", {});
        return std::nullopt;
    }
    std::string problem =
        NumberText(State.OutPipe) + " " + NumberText(State.InPipe) + " When open pipes, error occurs";
    // The pipe that did open is not leaked.
    ClosePipes();
    return problem;
}

void DeviceLink::ClosePipes(std::string_view why)
{
    if (!why.empty() && State.PipesOpen)
        Note("close", why);
    if (State.OutPipe != INVALID_PIPE) {
        library_.MPUSBClose(State.OutPipe);
        State.OutPipe = INVALID_PIPE;
    }
    if (State.InPipe != INVALID_PIPE) {
        library_.MPUSBClose(State.InPipe);
        State.InPipe = INVALID_PIPE;
    }
    State.PipesOpen = false;
}

void DeviceLink::ReportLastError()
{
    // The code is read once, so the message shows the code that was tested.
    const std::uint32_t error = library_.GetLastError();
    LastWriteError = error;
    if (error == ErrorCode::DeviceNotConnected && Departed) {
        departed_ = true;
        Departed();
        return;
    }
    if (error == ErrorCode::InvalidHandle) {
        ClosePipes("after an invalid handle");
        return;
    }
    if (!QuietWrites)
        messages_.ShowMessage("Error code: " + NumberText(static_cast<std::int32_t>(error)));
}
