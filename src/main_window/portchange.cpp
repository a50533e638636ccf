// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// Changing the port: when the port list loses the focus, the chosen port is opened and stored.

#include "telvaronix.h"
#include "ui_telvaronix.h"

#include "device_link/serialport.h"
#include "doevents.h"
#include "errorcollector.h"
#include "portsetting.h"
#include "settings/settingsstore.h"
#include "stalepressfilter.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>

void Telvaronix::ComboCom_LostFocus()
{
    // When a mouse press on a button took the focus, that press has not reached the button
    // yet. Processing the mouse release before it would lose the click and leave the button
    // drawn pressed, so user input waits until this handler is done; Qt keeps it meanwhile.
    const QEventLoop::ProcessEventsFlags doEventsFlags =
        QGuiApplication::mouseButtons() == Qt::NoButton ? QEventLoop::AllEvents
                                                        : QEventLoop::ExcludeUserInputEvents;
    ErrorCollector errors;
    // Closing a closed port changes nothing but ends the watch for a lost device, which would
    // otherwise reopen the old port in the DoEvents below.
    errors.run([&] { Coom1->setPortOpen(false); });
    DoEvents(doEventsFlags);
    const int port = ui->ComboCom->currentIndex() + 1;
    errors.run([&] { Coom1->setCommPort(port); });
    errors.run([&] { Coom1->setPortOpen(true); });
    errors.run([&] {
        SettingsStore::SaveSetting(PortSetting::Application, PortSetting::Section, PortSetting::Key,
                                   QString::number(port));
    });
    if (errors.failed())
        showWarning();
    DoEvents(doEventsFlags);
}

bool Telvaronix::isFocusLossOfPortList(const QEvent *event) const
{
    if (event->type() != QEvent::FocusOut || closed)
        return false;
    // Opening the drop-down moves the focus into its view (twice, the first time), and a
    // warning box or another application takes the window's activation: none of these moves
    // the focus to another control of the window.
    const Qt::FocusReason reason = static_cast<const QFocusEvent *>(event)->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return false;
    if (ui->ComboCom->view()->isVisible() || QApplication::activePopupWidget())
        return false;
    return isActiveWindow();
}

void Telvaronix::portListLeft()
{
    const bool pressOnItsWay = QGuiApplication::mouseButtons() != Qt::NoButton;
    ComboCom_LostFocus();
    // A warning shown meanwhile took the release; the press still on its way is stale.
    if (pressOnItsWay && QGuiApplication::mouseButtons() == Qt::NoButton)
        StalePressFilter::dropNextPress();
}
