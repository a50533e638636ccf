// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// Changing the port: when the port list loses the focus, the chosen port is opened and stored.

#include "telvaronix.h"
#include "ui_telvaronix.h"

#include "clickhold.h"
#include "device_link/serialport.h"
#include "errorcollector.h"
#include "portsetting.h"
#include "settings/settingsstore.h"

void Telvaronix::ComboCom_LostFocus()
{
    // A click that set this off runs once it is done, on the new port (see clickhold.h).
    const ClickHold::WhilePortChanges holdingTheClick(*m_clickHold);
    ErrorCollector errors;
    // Closing a closed port changes nothing but ends the watch for a lost device, which would
    // otherwise reopen the old port in the DoEvents below.
    errors.run([&] { Coom1->setPortOpen(false); });
    if (!m_clickHold->DoEvents())
        return; // the window closed meanwhile: it keeps its port closed and stores nothing
    const int port = m_ui->ComboCom->currentIndex() + 1;
    errors.run([&] { Coom1->setCommPort(port); });
    errors.run([&] { Coom1->setPortOpen(true); });
    errors.run([&] {
        SettingsStore::SaveSetting(PortSetting::Application, PortSetting::Section, PortSetting::Key,
                                   QString::number(port));
    });
    if (errors.failed())
        showWarning();
    m_clickHold->DoEvents();
}
