#include "DeviceBox.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

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

} // namespace

DeviceBox::DeviceBox(QWidget* parent) : QComboBox(parent)
{
    setItemDelegate(new EntryDelegate(this));
}

void DeviceBox::ShowDevices(const std::vector<Entry>& entries)
{
    // What the user has typed or chosen stays exactly as it is.
    const QString text = currentText();
    const int cursor = lineEdit() ? lineEdit()->cursorPosition() : 0;
    const int selectionStart = lineEdit() ? lineEdit()->selectionStart() : -1;
    const int selectionLength = lineEdit() ? lineEdit()->selectionLength() : 0;
    const QSignalBlocker blocker(this);
    const int first = count() > 0 ? 1 : 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int row = first + static_cast<int>(i);
        if (row >= count())
            addItem(entries[i].id);
        else
            setItemText(row, entries[i].id);
        setItemData(row, entries[i].description, DESCRIPTION_ROLE);
        setItemData(row, QVariant(), DESCRIPTION_ROLE + 1); // what the caller may have added
    }
    while (count() > first + static_cast<int>(entries.size()))
        removeItem(count() - 1);
    if (lineEdit() && lineEdit()->text() != text) {
        lineEdit()->setText(text);
        lineEdit()->setCursorPosition(cursor);
        if (selectionStart >= 0)
            lineEdit()->setSelection(selectionStart, selectionLength);
    }
}

void DeviceBox::showPopup()
{
    emit PopupOpening();
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
