#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <chrono>
#include <functional>
#include <vector>

#include "window/DeviceBox.h"
#include "window/FindBar.h"
#include "window/ReceiveArea.h"
#include "window/SendHistory.h"
#include "window/StatusBar.h"

class DeviceLink;
struct AttachedDevice;

// The terminal window: the device identifier and its buttons, the send box,
// the receive area and the status bar, at fixed places.
class FrmCom3 : public QWidget {
    Q_OBJECT
public:
    // Put into the device list and chosen at load.
    static inline const QString DEFAULT_DEVICE = QStringLiteral("vid_04d8&pid_0011");
    static inline const QString TITLE = QStringLiteral("USB 送受信 (by MpUsbApi.dll)");

    explicit FrmCom3(DeviceLink& link, QWidget* parent = nullptr);

    // Set by whoever follows a device: true when the device to be opened is
    // not there and is waited for instead, as after it left.
    std::function<bool()> WaitsForAbsentDevice;

    // Set by whoever keeps the device list: whether the device of an
    // identifier is attached, asked as the list opens.
    std::function<bool(const QString& id)> IsDeviceAttached;

    // What the program asks of the window; it never reaches the controls.
    // A received line at the end of the receive area, with the time it came
    // and the bytes it came from.
    using Time = std::chrono::system_clock::time_point;
    void ShowLine(QStringView line, Time time, const ReceivedBytes& bytes = {});
    // A marked line: a kind word ("sent", "left", …) and its text; a sent
    // line with its packet's bytes.
    void ShowMark(QStringView kind, QStringView text, Time time, const ReceivedBytes& bytes = {});
    // The status bar's text, and setting it.
    QString Status() const;
    void SetStatus(const QString& text);
    // The identifier in the device box.
    QString DeviceText() const;
    // Puts an identifier into the device box; its list keeps its entries.
    void SetDeviceText(const QString& text);
    // The attached devices, into the device box's list.
    void ListDevices(const std::vector<AttachedDevice>& devices);
    // The identifiers opened before, most recent first, into the list after its first entry.
    void ListOpened(const QStringList& ids);
    // What the program is doing beyond the original's, said in the title
    // after its text; an empty text takes the saying away.
    enum class Doing { Recording, Waiting };
    void SayDoing(Doing what, const QString& text);
    // An action at the end of the receive area's context menu.
    void AddReceiveMenuAction(QAction* action);
    // Shows or hides the time of each received line, or the time since the line before.
    void ShowTimes(ReceiveArea::Times shown);
    // Makes the received text larger (steps above 0) or smaller.
    void Zoom(int steps);
    // Where Save As starts.
    void SetSaveFolder(const QString& folder);
    // Shows or hides the bytes each line came from.
    void ShowBytes(bool shown);
    // How many lines the receive area keeps at least.
    void KeepLines(qint64 lines);
    // Whether a log keeps the lines the receive area drops: it says so where they went.
    void SayLogging(bool logging);
    // Presses Open as the user would, once the events waiting now are handled.
    void PressOpenSoon();

    // The original's handlers, by the names it gave them.
    // Fills the device list, enters Idle and shows the window for the first time.
    void Form_Load();
    void cmdPrepare_Click(); // the Open button
    void cmdClose_Click();   // the Close button
    // The window is closing: closes the pipes if they are open; the run ends.
    void Form_Unload();
    void cmdSend_Click(); // the Send button
    // Runs for every key pressed in the send box, before the box sees it.
    void txtSend_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void cmdCls_Click();        // the CLS button: empties the receive area
    void txtReceive_GotFocus(); // the receive area took the focus

    // The original's controls, by the names it gave them.
    QLabel* Label1;             // "Target USB", the device box's caption
    StatusBar* sbrMessage;      // the status bar
    DeviceBox* cmbDesc;         // the device identifier box and its list
    QPushButton* cmdPrepare;    // Open
    QPushButton* cmdClose;      // Close
    QPushButton* cmdCls;        // CLS
    QLineEdit* txtSend;         // the send box
    ReceiveArea* txtReceive;    // the receive area
    QLabel* Label2;             // "Send Message", the send box's caption
    QPushButton* cmdSend;       // Send
    FindBar* findBar = nullptr; // ours: the find bar under the receive area

signals:
    // The user pressed Close; the program's own cmdClose_Click() does not say so.
    void CloseClicked();
    // The partly received line is to be forgotten: the device is being opened.
    void PendingLineDiscarded();
    // A line was written: what went out of it, at most its first 20 characters.
    void LineWritten(const QString& sent);
    // A line was not written because the pipes are closed: what would have gone out.
    void LineNotWritten(const QString& line);
    // Open opened the pipes of the device with this identifier.
    void Opened(const QString& id);
    // The received text is zoomed by so many steps now; by the user or by Zoom.
    void ZoomChanged(int steps);
    // The user saved the received lines into another folder than before.
    void SaveFolderChanged(const QString& folder);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void SetUpWindow();
    void CreateControls();
    // Each control at its place for the window's size.
    void PlaceControls();
    void DescribeControls();
    void EnterIdle();
    void EnterConnected();
    void Send(const QString& line);

    DeviceLink& link_;
    SendHistory history_;
    QString doing_[2];
};
