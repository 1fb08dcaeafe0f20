#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include "FakeLibrary.h"
#include "SessionFiles.h"
#include "TracingLibrary.h"

namespace {

QStringList LinesOf(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

TEST(SessionFiles, LogAppendsEachLineWithItsTimeAndToldProblemsOnce)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("session.log");
    QFile earlier(path);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier\n");
    earlier.close();
    RecordedMessages messages;
    {
        SessionFiles files(path, {}, messages);
        files.LogLine(u"OK");
        files.LogLine(u"ﾃﾞﾓ こんにちは");
        files.ReportProblems();
    }
    EXPECT_TRUE(messages.shown.empty());
    const QStringList lines = LinesOf(path);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "earlier"); // opened for append
    const QRegularExpression stamped(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d) (.*)$)");
    EXPECT_EQ(stamped.match(lines[1]).captured(2), "OK") << lines[1].toStdString();
    EXPECT_EQ(stamped.match(lines[2]).captured(2), "ﾃﾞﾓ こんにちは");

    // A folder that is not there, and a disk that fills up: one message each.
    SessionFiles missing(folder.filePath("no/such/folder/session.log"), "/dev/full", messages);
    for (int i = 0; i < 3; ++i) {
        missing.LogLine(u"lost");
        missing.Trace()->Append("lost\n");
        QThread::msleep(20);
        missing.ReportProblems();
    }
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_NE(messages.shown[0].find("no/such/folder/session.log cannot be opened"), std::string::npos);
    EXPECT_NE(messages.shown[1].find("Writing /dev/full failed"), std::string::npos);
}

TEST(SessionFiles, TraceNamesEveryCallWithItsBytesAndCountsEmptyReads)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("session.trace");
    FakeLibrary library;
    {
        AppendFile file(QFile::encodeName(path).toStdString());
        TracingLibrary trace(library, file);
        EXPECT_EQ(trace.MPUSBGetDeviceCount("demo"), 1);
        EXPECT_EQ(trace.MPUSBOpen(0, "demo", "\\MCHP_EP1", DIRECTION_WRITE, 0), 3);
        const std::uint8_t packet[20] = {'A', 'B', 'C', '\r', 'O', 'W', 0x82, 0xA0, 0x81};
        EXPECT_EQ(trace.MPUSBWrite(3, packet, 20, nullptr, 1000), 1);
        std::uint8_t buffer[65];
        std::int32_t length = 0;
        library.lastErrors = {ErrorCode::Timeout};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(trace.MPUSBRead(4, buffer, 65, &length, 10), 0);
        library.QueueRead("A\rB\r\n");
        EXPECT_EQ(trace.MPUSBRead(4, buffer, 65, &length, 10), 1);
        library.writeResult = 0;
        library.lastErrors = {ErrorCode::DeviceNotConnected};
        EXPECT_EQ(trace.MPUSBWrite(3, packet, 20, nullptr, 1000), 0);
        EXPECT_EQ(trace.GetLastError(), ErrorCode::DeviceNotConnected);
        EXPECT_EQ(trace.MPUSBClose(3), 1);
    }
    QStringList lines = LinesOf(path);
    for (QString& line : lines)
        line = line.section(u' ', 1, -1, QString::SectionSkipEmpty); // the time goes first
    EXPECT_EQ(
        lines.join(u'\n').toStdString(),
        "count \"demo\" -> 1\n"
        "open \"demo\" \\MCHP_EP1 direction 0 -> 3\n"
        "write handle 3 -> 1  20 bytes  41 42 43 0D 4F 57 82 A0 81 00 00 00 00 00 00 00 00 00 00 00  "
        "|ABC.OWあ............|\n"
        "3 empty reads\n"
        "read handle 4 -> 1  5 bytes  41 0D 42 0D 0A  |A.B..|\n"
        "write handle 3 -> 0 error 1167  20 bytes  41 42 43 0D 4F 57 82 A0 81 00 00 00 00 00 00 00 00 00 "
        "00 00  |ABC.OWあ............|\n"
        "close handle 3 -> 1");
}
