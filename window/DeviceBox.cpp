#include "window/DeviceBox.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include "devicelink/AttachedDevice.h"

namespace {

// Shows an entry's description after its identifier, in the drop-down only.
class EntryDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString description = index.data(DeviceBox::DESCRIPTION_ROLE).toString();
        if (!description.isEmpty())
            option->text += QStringLiteral("   ") + description;
    }
};

QString Description(const AttachedDevice& device)
{
    QString text = QString::fromLatin1(device.product.c_str());
    if (!device.manufacturer.empty())
        text = QString::fromLatin1(device.manufacturer.c_str()) + QStringLiteral(" ") + text;
    // The device chooses its strings: nothing of them may break the line.
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = QChar(u'\uFFFD');
    text = text.trimmed();
    return text.isEmpty() && !device.problem.empty() ? "(" + QString::fromStdString(device.problem) + ")"
                                                     : text;
}

} // namespace

DeviceBox::DeviceBox(QWidget* parent) : QComboBox(parent)
{
    setItemDelegate(new EntryDelegate(this));
}

void DeviceBox::KeepingTheText(const std::function<void()>& change)
{
    const QString text = currentText();
    const int cursor = lineEdit()->cursorPosition();
    const int selectionStart = lineEdit()->selectionStart();
    const int selectionLength = lineEdit()->selectionLength();
    const QSignalBlocker blocker(this);
    change();
    if (lineEdit()->text() != text) {
        lineEdit()->setText(text);
        lineEdit()->setCursorPosition(cursor);
        if (selectionStart >= 0)
            lineEdit()->setSelection(selectionStart, selectionLength);
    }
}

void DeviceBox::ShowDevices(const std::vector<Entry>& entries)
{
    KeepingTheText([this, &entries] {
        const int first = count() > 0 ? 1 : 0;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const int row = first + static_cast<int>(i);
            if (row >= count())
                addItem(entries[i].id);
            else
                setItemText(row, entries[i].id);
            setItemData(row, entries[i].description, DESCRIPTION_ROLE);
            // An opened entry is asked about as the list opens, as one with no description is.
            setItemData(row, entries[i].opened ? QVariant(true) : QVariant(), COUNTED_ROLE);
            setItemData(row, entries[i].opened, OPENED_ROLE);
        }
        while (count() > first + static_cast<int>(entries.size()))
            removeItem(count() - 1);
    });
}

void DeviceBox::ShowAttached(const std::vector<AttachedDevice>& devices)
{
    attached_.clear();
    for (const AttachedDevice& device : devices)
        if (device.id != "demo")
            attached_.push_back({QString::fromLatin1(device.id.c_str()), Description(device)});
    ShowEntries();
}

void DeviceBox::ShowOpened(const QStringList& ids)
{
    opened_ = ids;
    ShowEntries();
}

void DeviceBox::ShowEntries()
{
    std::vector<Entry> entries;
    for (const QString& id : opened_)
        entries.push_back({id, QStringLiteral("(opened before)"), true});
    // The demo device is always there, also for the second it is away after a reset.
    entries.push_back({QStringLiteral("demo"), QStringLiteral("Pellmark demo device")});
    // The first entry, the window's default, and those opened before are said
    // to be attached or not when the drop-down opens.
    for (const Entry& device : attached_)
        if (device.id != itemText(0) && !opened_.contains(device.id))
            entries.push_back(device);
    ShowDevices(entries);
}

void DeviceBox::SayWhichAreAttached()
{
    KeepingTheText([this] {
        for (int row = 0; IsAttached && row < count(); ++row) {
            if (!itemData(row, DESCRIPTION_ROLE).toString().isEmpty() &&
                !itemData(row, COUNTED_ROLE).toBool())
                continue;
            const QString attached =
                IsAttached(itemText(row)) ? QStringLiteral("attached") : QStringLiteral("not attached");
            setItemData(row,
                        itemData(row, OPENED_ROLE).toBool()
                            ? QStringLiteral("(opened before, %1)").arg(attached)
                            : u'(' + attached + u')',
                        DESCRIPTION_ROLE);
            setItemData(row, true, COUNTED_ROLE);
        }
    });
}

void DeviceBox::showPopup()
{
    SayWhichAreAttached();
    // Wide enough for each identifier with its description.
    int widest = 0;
    for (int row = 0; row < count(); ++row)
        widest = std::max(
            widest, view()->fontMetrics().horizontalAdvance(itemText(row) + QStringLiteral("   ") +
                                                            itemData(row, DESCRIPTION_ROLE).toString()));
    view()->setMinimumWidth(widest + 2 * view()->fontMetrics().averageCharWidth() + view()->frameWidth() * 2);
    QComboBox::showPopup();
}

void DeviceBox::keyPressEvent(QKeyEvent* event)
{
    const bool steps = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down ||
                       event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown;
    if (steps && !(event->modifiers() & Qt::AltModifier)) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void DeviceBox::wheelEvent(QWheelEvent* event)
{
    event->ignore();
}
