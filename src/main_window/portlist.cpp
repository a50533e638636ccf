// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "portlist.h"

#include "device_link/portdevice.h"
#include "porthint.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QTimer>

PortList::PortList(QWidget *parent)
    : QComboBox(parent), m_entries(view()), m_dropDown(view()->window())
{
    m_entries->installEventFilter(this);
    m_entries->viewport()->installEventFilter(this);
    m_dropDown->installEventFilter(this);
    connect(this, &QComboBox::currentIndexChanged, this, &PortList::entryChosen);
}

bool PortList::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip)
        updateHint(currentIndex());
    return QComboBox::event(event);
}

void PortList::focusInEvent(QFocusEvent *event)
{
    // A screen reader reads the hint of the port it starts from.
    if (QAccessible::isActive())
        updateHint(currentIndex());
    QComboBox::focusInEvent(event);
}

bool PortList::eventFilter(QObject *watched, QEvent *event)
{
    // Compared by address only: the drop-down sends events while the list is being destroyed.
    const QEvent::Type type = event->type();
    if (watched == m_entries->viewport() && type == QEvent::ToolTip) {
        updateHint(m_entries->indexAt(static_cast<QHelpEvent *>(event)->pos()).row());
    } else if (watched == m_entries && type == QEvent::KeyPress &&
               static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        highlightChosenEntry();
    } else if (watched == m_dropDown && type == QEvent::Show) {
        dropDownShown();
    } else if (watched == m_dropDown && type == QEvent::Hide) {
        // The entry chosen there becomes current after this.
        QTimer::singleShot(0, this, [this] { m_dropDownInUse = false; });
    }
    return false;
}

void PortList::entryChosen(int entry)
{
    // Told of a new entry chosen in the closed list with Up or Down, with its hint; one chosen in
    // the drop-down is read with the list as it takes the focus back. The entries the window
    // fills the list with, and the one it restores at start, are no news.
    if (!QAccessible::isActive() || !isVisible())
        return;
    storeHint(entry);
    if (!m_dropDownInUse)
        announceNewEntry();
}

void PortList::dropDownShown()
{
    m_dropDownInUse = true;
    highlightChosenEntry();
    // A screen reader reads each entry's hint as the entry is reached.
    if (!QAccessible::isActive())
        return;
    for (int entry = 0; entry < count(); ++entry)
        updateHint(entry);
    // Once the drop-down has the focus, which it takes after it is shown.
    QTimer::singleShot(0, this, &PortList::announceCurrentEntry);
}

void PortList::highlightChosenEntry()
{
    // From Qt 6.8 on, the drop-down keeps the entry last highlighted when it is dismissed, tells
    // screen readers it is selected, and opens on it again, where Return would choose it. Done
    // quietly: told of a new current entry, a screen reader would read it as the focus, and
    // not the list that takes the focus back.
    const QSignalBlocker quietly(m_entries->selectionModel());
    m_entries->selectionModel()->setCurrentIndex(model()->index(currentIndex(), modelColumn()),
                                                 QItemSelectionModel::ClearAndSelect);
    m_entries->viewport()->update();
}

void PortList::storeHint(int entry)
{
    if (entry < 0 || entry >= count())
        return;
    const DeviceLink::PortStatus status = DeviceLink::portStatus(entry + 1);
    const QString hint = portHint(entry + 1, status);
    // A screen reader reads the entry's name ("C3") and then its description. Qt reports any
    // change to the chosen entry's data as a new value of the list, which a screen reader then
    // announces as if the entry had changed: the hints are stored without a word.
    const QSignalBlocker quietly(model());
    setItemData(entry, hint, Qt::ToolTipRole);
    setItemData(entry, deviceHint(status), Qt::AccessibleDescriptionRole);
    if (entry == currentIndex())
        setToolTip(hint);
}

void PortList::updateHint(int entry)
{
    storeHint(entry);
    if (entry == currentIndex())
        describeListByItsEntry();
}

void PortList::describeListByItsEntry()
{
    setAccessibleDescription(itemData(currentIndex(), Qt::AccessibleDescriptionRole).toString());
}

void PortList::announceNewEntry()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    // Qt tells of the list's new selection itself, and a screen reader reads the entry it
    // selects, with the entry's hint; a new description of the list would be read too.
#else
    // Without a selection to tell of, the entry is told as new text, and the list's
    // description follows it. Only the new text: Orca says "Selection deleted" when told that
    // the old one went.
    describeListByItsEntry();
    QAccessibleTextInsertEvent inserted(this, 0, currentText());
    QAccessible::updateAccessibility(&inserted);
#endif
}

void PortList::announceCurrentEntry()
{
    // Qt tells only that the drop-down took the focus, and a screen reader then names no entry.
    // A list view's entry n is its child n.
    const QModelIndex current = m_entries->currentIndex();
    if (!m_entries->hasFocus() || !current.isValid())
        return;
    QAccessibleEvent focus(m_entries, QAccessible::Focus);
    focus.setChild(current.row());
    QAccessible::updateAccessibility(&focus);
}
