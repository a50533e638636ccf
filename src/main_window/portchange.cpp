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

#include <QApplication>

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
    const int port = m_ui->ComboCom->currentIndex() + 1;
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
