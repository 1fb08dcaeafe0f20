#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "app/DarAdoMain.h"
#include "app/Program.h"
#include "devicelink/AttachedDevice.h"

namespace {

struct Remembered : ::testing::Test {
    QTemporaryDir folder;
    SessionOptions options;

    void SetUp() override
    {
        options.remember = true;
        options.settingsFile = folder.filePath("pellmark.ini");
    }
    // The dialog a menu item opened, without a loop of its own, accepted in a folder.
    static void AcceptIn(QWidget& parent, const QString& within)
    {
        for (QFileDialog* dialog : parent.findChildren<QFileDialog*>())
            if (dialog->isVisible()) {
                dialog->setDirectory(within);
                static_cast<QDialog*>(dialog)->accept();
                return;
            }
        FAIL() << "no dialog is open";
    }
    static QStringList Listed(const FrmCom3& window)
    {
        QStringList entries;
        for (int row = 0; row < window.cmbDesc->count(); ++row)
            entries << window.cmbDesc->itemText(row) + ' ' +
                           window.cmbDesc->itemData(row, DeviceBox::DESCRIPTION_ROLE).toString();
        return entries;
    }
};

} // namespace

TEST_F(Remembered, WhatTheUserChangesIsThereAtTheNextStartButNotWhatTheCommandLineAsked)
{
    const QString saved = folder.filePath("saved"), logged = folder.filePath("logged");
    ASSERT_TRUE(QDir().mkdir(saved) && QDir().mkdir(logged));
    {
        options.echo = true;
        Program program(options);
        DarAdoMain::Start(program, options);
        program.window.setGeometry(20, 30, 700, 600);
        program.aids.ShowTimes.setChecked(true);
        program.aids.TimesSince.setChecked(true);
        program.aids.ShowBytes.setChecked(true);
        program.window.Zoom(2);
        // The demo device by twelve names, then by its own, which is always listed.
        QStringList ids;
        for (int spaces = 0; spaces < 12; ++spaces)
            ids << QString(spaces, ' ') + "Demo";
        for (const QString& id : ids + QStringList{"     Demo", "demo"}) {
            program.window.SetDeviceText(id);
            program.window.cmdPrepare_Click();
            program.window.cmdClose_Click();
        }
        EXPECT_EQ(program.window.cmbDesc->count(), 1 + Settings::OPENED_KEPT + 1);
        std::unique_ptr<QMenu> menu(program.window.txtReceive->CreateContextMenu());
        menu->actions()[4]->trigger(); // Save As…
        AcceptIn(program.window, saved);
        program.aids.Log.trigger();
        AcceptIn(program.window, logged);
        program.window.close();
    }
    options.echo = false;
    Program program(options);
    DarAdoMain::Start(program, options);
    program.StartDeviceList();
    EXPECT_EQ(program.window.geometry(), QRect(20, 30, 700, 600));
    EXPECT_EQ(program.window.txtReceive->ShownTimes(), ReceiveArea::Times::SincePrevious);
    EXPECT_FALSE(program.aids.ShowSent.isChecked());
    EXPECT_TRUE(program.aids.ShowBytes.isChecked());
    EXPECT_EQ(program.window.txtReceive->Zoomed(), 2);
    QStringList listed{FrmCom3::DEFAULT_DEVICE + ' '};
    for (int spaces : {5, 11, 10, 9, 8, 7, 6, 4, 3, 2})
        listed << QString(spaces, ' ') + "Demo (opened before)";
    EXPECT_EQ(Listed(program.window), listed << "demo Pellmark demo device");
#ifndef _WIN32 // where asking whether the default entry's device is there needs the vendor's library
    program.window.cmbDesc->showPopup();
    EXPECT_EQ(Listed(program.window)[1], "     Demo (opened before, attached)");
    program.window.cmbDesc->hidePopup();
#endif
    EXPECT_EQ(program.window.DeviceText(), FrmCom3::DEFAULT_DEVICE);
    EXPECT_EQ(program.window.txtReceive->SaveFolder, saved);
    EXPECT_EQ(program.aids.LogFolder, logged);
}

TEST_F(Remembered, ValuesThatCannotBeUsedAreIgnoredEachAloneAndSaidOnce)
{
    QFile file(options.settingsFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[window]\nwidth=5000\nheight=5000\nx=-5000\ny=10\nmaximised=yes\n"
               "[menu]\ntimes=true\nreopen=1\nsentLines=true, false\n"
               "[view]\nzoom=1000\nlinesKept=2000\n[opened]\n1=vid_1234&pid_5678\n2=\n3=\"a\\tb\"\n4=vid_"
               "1234&pid_5678\n5=demo\n"
               "[folders]\nlog=/tmp\n");
    file.close();
    testing::internal::CaptureStderr();
    Program program(options);
    DarAdoMain::Start(program, options);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "pellmark: ignored what the settings file " + options.settingsFile.toStdString() +
                  " holds for window/maximised, menu/reopen, menu/sentLines, view/zoom, "
                  "opened/2, opened/3\n");
    // A size larger than the screen is made to fit; a place off every screen is not taken.
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_EQ(program.window.size().boundedTo(screen), program.window.size());
    EXPECT_GE(program.window.x(), 0);
    EXPECT_TRUE(program.aids.ShowTimes.isChecked());
    EXPECT_EQ(program.aids.LogFolder, "/tmp");
    for (int i = 0; i < 2201; ++i)
        program.window.txtReceive->AppendLine(u"line");
    program.window.txtReceive->Flush();
    EXPECT_EQ(program.window.txtReceive->LinesGone(), 201);
    // An attached device opened before is listed once, as opened before.
    program.window.ListDevices({AttachedDevice{"vid_1234&pid_5678", "Maker", "Board", "", "", ""}});
    EXPECT_EQ(Listed(program.window).mid(1),
              QStringList({"vid_1234&pid_5678 (opened before)", "demo Pellmark demo device"}));
}

TEST_F(Remembered, AFileThatCannotBeReadIsLeftAsItIs)
{
    ASSERT_TRUE(QDir().mkdir(options.settingsFile));
    testing::internal::CaptureStderr();
    {
        Program program(options);
        DarAdoMain::Start(program, options);
        program.aids.ShowTimes.setChecked(true);
        program.window.close();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "pellmark: the settings file " + options.settingsFile.toStdString() +
                  " could not be read; it is left as it is, and this run remembers nothing\n");
    EXPECT_TRUE(QFileInfo(options.settingsFile).isDir());
}
