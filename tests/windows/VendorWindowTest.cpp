#include <gtest/gtest.h>

#include "app/ReceiveLoop.h"
#include "devicelink/DeviceLink.h"
#include "devicelink/backends/VendorLibraryBackend.h"
#include "tests/support/FakeLibrary.h"
#include "tests/windows/StandIn.h"
#include "window/FrmCom3.h"

// The window on the vendor's library, as on a Windows desk: opened, a line
// typed and sent, a line received.
TEST(VendorWindow, OpensSendsAndShowsWhatTheDeviceSaid)
{
    RecordedMessages messages;
    VendorLibraryBackend backend(messages, StandIn("ok"));
    DeviceLink link(backend, messages);
    FrmCom3 window(link);
    ReceiveLoop loop(window, link);
    window.Form_Load();
    window.cmbDesc->setEditText("vid_04d8&pid_000c");
    window.cmdPrepare_Click();
    EXPECT_EQ(window.sbrMessage->StatusText(), "Prepared");

    window.txtSend->setText("LED ON");
    window.cmdSend_Click();
    std::uint8_t written[20] = {};
    ASSERT_EQ(Control<std::int32_t (*)(std::uint8_t*, std::int32_t)>("StandInWritten")(written, 20), 20);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(written), 7), "LED ON\r");

    const std::uint8_t reply[] = {'O', 'K', '\r', '\n'};
    Control<void (*)(const std::uint8_t*, std::int32_t, std::int32_t, std::int32_t, std::uint32_t)>(
        "StandInQueueRead")(reply, 4, 4, 1, 0);
    ASSERT_TRUE(loop.RunCycle());
    window.txtReceive->Flush();
    EXPECT_EQ(window.txtReceive->toPlainText(), "OK\n");
    EXPECT_EQ(window.sbrMessage->StatusText(), "Received");
    EXPECT_TRUE(messages.shown.empty());
}
