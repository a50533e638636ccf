// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

// Prints what this Qt does at each spot where one Qt version or another has gone wrong for
// Telvaronix (docs/qt-versions.md), so that a new version can be checked in a minute:
//  - bytes received before a close, seen again after the next open;
//  - setDataTerminalReady on a pseudo-terminal;
//  - open() with QIODevice::Text;
//  - the focus-out events a combo box gets while its drop-down opens and closes.
// A hang-up of the device has a benchmark of its own, bench_hangup. Runs offscreen.

#include "pseudoterminal.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QMetaEnum>
#include <QPushButton>
#include <QSerialPort>
#include <QStringList>
#include <QTest>
#include <QThread>
#include <QVBoxLayout>

#include <cstdio>

namespace {

void print(const char *what, const QString &result)
{
    std::printf("%-58s %s\n", what, qPrintable(result));
}

void bytesAcrossCloseAndOpen()
{
    PseudoTerminal device;
    QSerialPort port;
    port.setPortName(device.devicePath());
    port.open(QIODevice::ReadWrite);
    device.write("unread");
    QThread::msleep(50); // left in the system's buffer
    port.close();
    port.open(QIODevice::ReadWrite);
    QTest::qWait(100);
    print("bytes from before a close, available after reopening",
          QString::number(port.bytesAvailable()));
}

void dataTerminalReadyOnAPseudoTerminal()
{
    PseudoTerminal device;
    QSerialPort port;
    port.setPortName(device.devicePath());
    port.open(QIODevice::ReadWrite);
    const bool set = port.setDataTerminalReady(true);
    print("setDataTerminalReady(true) on a pseudo-terminal",
          set ? QStringLiteral("succeeds") : "fails: " + port.errorString());
}

void openInTextMode()
{
    PseudoTerminal device;
    QSerialPort port;
    port.setPortName(device.devicePath());
    const bool opened = port.open(QIODevice::ReadWrite | QIODevice::Text);
    print("open(ReadWrite | Text)",
          opened ? QStringLiteral("opens") : "refused: " + port.errorString());
}

class FocusOutLog : public QObject
{
public:
    QStringList reasons;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusOut) {
            const auto *combo = static_cast<QComboBox *>(watched);
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            reasons << QStringLiteral("%1%2")
                           .arg(QMetaEnum::fromType<Qt::FocusReason>().valueToKey(reason))
                           .arg(combo->view()->isVisible() ? " (drop-down shown)" : "");
        }
        return false;
    }
};

void comboFocusOutsAroundTheDropDown()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *combo = new QComboBox(&window);
    combo->addItems({"C1", "C2"});
    layout->addWidget(combo);
    layout->addWidget(new QPushButton("Comm", &window));
    window.show();
    window.activateWindow();
    [[maybe_unused]] const bool shown = QTest::qWaitForWindowActive(&window);
    combo->setFocus();
    QTest::qWait(20);
    FocusOutLog log;
    combo->installEventFilter(&log);
    for (int round = 1; round <= 2; ++round) {
        combo->showPopup();
        QTest::qWait(50);
        combo->hidePopup();
        QTest::qWait(50);
    }
    print("combo box focus-outs over two drop-downs",
          log.reasons.isEmpty() ? QStringLiteral("none") : log.reasons.join(", "));
    print("combo box has the focus after them", combo->hasFocus() ? "yes" : "no");
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("Qt %s, where earlier versions went wrong\n", qVersion());
    bytesAcrossCloseAndOpen();
    dataTerminalReadyOnAPseudoTerminal();
    openInTextMode();
    comboFocusOutsAroundTheDropDown();
    return 0;
}
