// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// The port list: its hints, and the numbering of adapters before a port is chosen from it.

#include "telvaronix.h"
#include "ui_telvaronix.h"

#include "accessibility.h"
#include "device_link/portdevice.h"
#include "porthint.h"
#include "portsetting.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QSignalBlocker>
#include <QTimer>

void Telvaronix::portListEntryChanged(int entry)
{
    // A screen reader is told of the new entry, with its hint, when Up or Down changes it in
    // the closed list (see accessibility.h); one chosen in the drop-down is read with the list
    // as it takes the focus back.
    if (!QAccessible::isActive())
        return;
    describeEntry(entry);
    if (!m_dropDownInUse)
        announceNewEntry(m_ui->ComboCom);
}

void Telvaronix::portListFocused()
{
    // An adapter plugged in while the program runs has its number before the user chooses,
    // and a screen reader reads the hint of the port it starts from.
    numberAdaptersBeforeChoosing();
    if (QAccessible::isActive())
        updatePortHint(m_ui->ComboCom->currentIndex());
}

void Telvaronix::portListOpened()
{
    m_dropDownInUse = true;
    numberAdaptersBeforeChoosing();
    // A screen reader reads each entry's hint as the entry is reached.
    if (!QAccessible::isActive())
        return;
    for (int entry = 0; entry < m_ui->ComboCom->count(); ++entry)
        updatePortHint(entry);
    // Once the drop-down has the focus, which it takes after it is shown.
    QTimer::singleShot(0, this, [this] { announceCurrentEntry(m_ui->ComboCom->view()); });
}

void Telvaronix::updatePortHint(int entry)
{
    describeEntry(entry);
    if (entry == m_ui->ComboCom->currentIndex()) {
        m_ui->ComboCom->setAccessibleDescription(
            m_ui->ComboCom->itemData(entry, Qt::AccessibleDescriptionRole).toString());
    }
}

void Telvaronix::describeEntry(int entry)
{
    // Looked up afresh each time it is about to show, for the one entry pointed at: devices
    // come and go, and other programs take them.
    QComboBox *const list = m_ui->ComboCom;
    if (entry < 0 || entry >= list->count())
        return;
    const PortStatus status = portStatus(entry + 1);
    const QString hint = portHint(entry + 1, status);
    // A screen reader reads the entry's name ("C3") and then its description. Qt reports any
    // change to the chosen entry's data as a new value of the list, which a screen reader then
    // announces as if the entry had changed: the hints are stored without a word.
    const QSignalBlocker quietly(list->model());
    list->setItemData(entry, hint, Qt::ToolTipRole);
    list->setItemData(entry, deviceHint(status), Qt::AccessibleDescriptionRole);
    if (entry == list->currentIndex())
        list->setToolTip(hint);
}

void Telvaronix::numberAdaptersBeforeChoosing()
{
    // Making links is no business of a wait, whose passes stay as cheap as they are; the
    // adapter gets its number the next time the list is used.
    if (m_waitsRunning == 0)
        numberAdaptersPluggedIn(PortSetting::PortCount);
}
