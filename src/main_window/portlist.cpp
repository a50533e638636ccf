// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// The port list: what its events lead to, its hints, and the numbering of adapters before a
// port is chosen from it.

#include "telvaronix.h"
#include "ui_telvaronix.h"

#include "device_link/portdevice.h"
#include "porthint.h"
#include "portsetting.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QHelpEvent>

void Telvaronix::watchPortList()
{
    // A screen reader reads the chosen port's hint as the list's description.
    connect(ui->ComboCom, &QComboBox::currentIndexChanged, this, [this](int entry) {
        if (QAccessible::isActive())
            updatePortHint(entry);
    });
    ui->ComboCom->installEventFilter(this);
    ui->ComboCom->view()->viewport()->installEventFilter(this);
    ui->ComboCom->view()->window()->installEventFilter(this); // the drop-down
}

bool Telvaronix::eventFilter(QObject *watched, QEvent *event)
{
    // The type comes first: asking the list for its drop-down makes one, which sends the list
    // events of its own.
    QComboBox *const list = ui->ComboCom;
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusIn && watched == list)
        portListFocused();
    else if (type == QEvent::Show && watched == list->view()->window())
        numberAdaptersBeforeChoosing(); // the drop-down opens
    else if (type == QEvent::ToolTip && watched == list)
        updatePortHint(list->currentIndex());
    else if (type == QEvent::ToolTip && watched == list->view()->viewport())
        updatePortHint(list->view()->indexAt(static_cast<const QHelpEvent *>(event)->pos()).row());
    else if (watched == list && isFocusLossOfPortList(event))
        portListLeft();
    return QWidget::eventFilter(watched, event);
}

void Telvaronix::portListFocused()
{
    // An adapter plugged in while the program runs has its number before the user chooses,
    // and a screen reader reads the hint of the port it starts from.
    numberAdaptersBeforeChoosing();
    if (QAccessible::isActive())
        updatePortHint(ui->ComboCom->currentIndex());
}

void Telvaronix::updatePortHint(int entry)
{
    // Looked up afresh each time it is about to show, for the one entry pointed at: devices
    // come and go, and other programs take them.
    QComboBox *const list = ui->ComboCom;
    if (entry < 0 || entry >= list->count())
        return;
    const QString hint = portHint(entry + 1, portStatus(entry + 1));
    list->setItemData(entry, hint, Qt::ToolTipRole);
    if (entry == list->currentIndex()) {
        list->setToolTip(hint);
        // Read by a screen reader as the list's description, and announced as changed.
        list->setAccessibleDescription(hint);
    }
}

void Telvaronix::numberAdaptersBeforeChoosing()
{
    // Making links is no business of a wait, whose passes stay as cheap as they are; the
    // adapter gets its number the next time the list is used.
    if (waitsRunning == 0)
        numberNewAdapters(PortSetting::PortCount);
}
