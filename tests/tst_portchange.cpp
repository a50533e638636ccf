// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "privatedev.h"
#include "windowfixture.h"

#include "device_link/portdevice.h"
#include "device_link/portdevice_unix.h"
#include "device_link/serialport.h"
#include <main_window/Telvaronix>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <qpa/qwindowsysteminterface.h>

#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace DeviceLink;

// Flushes the window system's queue, user input included, from within the port list's handler,
// as Qt's Wayland platform does when it applies a configure from the compositor: from the
// first pass of the event loop after the list's focus-out or the press that leaves it.
class FlushFromWithinTheHandler : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (!m_posted &&
            (event->type() == QEvent::FocusOut || event->type() == QEvent::MouseButtonPress)) {
            m_posted = true;
            QMetaObject::invokeMethod(
                this, [] { QWindowSystemInterface::flushWindowSystemEvents(); },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool m_posted = false;
};

class tst_PortChange : public WindowFixture
{
    Q_OBJECT

private slots:
    void chosenEntryThenTab_opensItStoresItAndTheNextStartUsesIt();
    void unchangedEntry_reopensThePortAndStoresAgain();
    void missingPort_warnsClosesAndStoresAnyway();
    void unwritableSettings_warnAndKeepTheEarlierValue_data();
    void unwritableSettings_warnAndKeepTheEarlierValue();
    void choosingInTheDropDown_appliesNothingUntilTheFocusMoves();
    void windowDeactivatedOrClosed_appliesNothing_data();
    void windowDeactivatedOrClosed_appliesNothing();
    void quickClickOnAButton_reopensFirstThenSendsToTheNewPort_data();
    void quickClickOnAButton_reopensFirstThenSendsToTheNewPort();
    void quickClickWithAWarning_leavesNoButtonPressed_data();
    void quickClickWithAWarning_leavesNoButtonPressed();
    void portChangeDuringAWait_pollsTheReopenedPort();

private:
    // A press and release queued together, as the window system delivers a quick click.
    void quickClick(QWidget *target);
    // Takes the activation from the window, as a person switching to another one does.
    void activateAnother(QWidget &other);
    bool anyButtonDown() const;
    QByteArray storedPort() const;
};

void tst_PortChange::quickClick(QWidget *target)
{
    QWindow *window = target->window()->windowHandle();
    const QPoint centre = target->rect().center();
    const QPointF local = target->mapTo(target->window(), centre);
    const QPointF global = target->mapToGlobal(centre);
    using Queued = QWindowSystemInterface::AsynchronousDelivery;
    QWindowSystemInterface::handleMouseEvent<Queued>(window, local, global, Qt::LeftButton,
                                                     Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<Queued>(window, local, global, Qt::NoButton,
                                                     Qt::LeftButton, QEvent::MouseButtonRelease);
}

void tst_PortChange::activateAnother(QWidget &other)
{
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
}

bool tst_PortChange::anyButtonDown() const
{
    const auto buttons = m_window->findChildren<QPushButton *>();
    return std::any_of(buttons.begin(), buttons.end(), [](QPushButton *b) { return b->isDown(); });
}

QByteArray tst_PortChange::storedPort() const
{
    const QByteArray content = m_config->settingsFileContent();
    const QByteArray key = "puerto=";
    const qsizetype at = content.indexOf(key);
    return at < 0 ? QByteArray() : content.mid(at + key.size()).split('\n').first();
}

void tst_PortChange::chosenEntryThenTab_opensItStoresItAndTheNextStartUsesIt()
{
    PseudoTerminal &first = linkDevice(1);
    PseudoTerminal &fourth = linkDevice(4);
    showActiveWindow();
    QTRY_VERIFY(first.isHeldOpen());

    QVERIFY(!changePortTo(4));
    QCOMPARE(QApplication::focusWidget()->objectName(), "Command1");
    QVERIFY(m_warnings->seen().isEmpty());
    QVERIFY(m_parts->Coom1->PortOpen());
    QCOMPARE(m_parts->Coom1->CommPort(), 4);
    QTRY_VERIFY(fourth.isHeldOpen());
    QTRY_VERIFY(!first.isHeldOpen());
    QCOMPARE(storedPort(), "4");

    closeWindow();
    QTRY_VERIFY(!fourth.isHeldOpen());
    showActiveWindow();
    QCOMPARE(m_parts->Coom1->CommPort(), 4);
    QCOMPARE(m_parts->ComboCom->currentText(), "C4");
    QTRY_VERIFY(fourth.isHeldOpen());
}

void tst_PortChange::unchangedEntry_reopensThePortAndStoresAgain()
{
    PseudoTerminal &device = linkDevice(1);
    showActiveWindow();
    QVERIFY(!QFile::exists(m_config->settingsFile()));
    // Bytes waiting on the open port are gone once it is closed and opened again.
    device.write("waiting");
    QTRY_COMPARE(m_parts->Coom1->InBufferCount(), 7);

    chooseInList(1);
    QTest::mouseClick(m_parts->button("Command1"), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget()->objectName(), "Command1");
    QVERIFY(m_parts->Coom1->PortOpen());
    QCOMPARE(m_parts->Coom1->InBufferCount(), 0);
    QCOMPARE(storedPort(), "1");
    QVERIFY(m_warnings->seen().isEmpty());
}

void tst_PortChange::missingPort_warnsClosesAndStoresAnyway()
{
    linkDevice(1);
    showActiveWindow();
    QVERIFY(changePortTo(6));
    QCOMPARE(m_warnings->seen().size(), 1);
    QCOMPARE(m_warnings->seen().first().text, Telvaronix::WarningText);
    QVERIFY(m_warnings->seen().first().mainWindowVisible);
    QVERIFY(!m_parts->Coom1->PortOpen());
    QTRY_VERIFY(!device(1).isHeldOpen());
    QCOMPARE(storedPort(), "6");
    QCOMPARE(m_parts->ComboCom->currentText(), "C6");
}

void tst_PortChange::unwritableSettings_warnAndKeepTheEarlierValue_data()
{
    QTest::addColumn<QString>("blocker");
    QTest::newRow("a folder where the file must be") << "file";
    QTest::newRow("the lock cannot be taken") << "lock";
    QTest::newRow("a named pipe where the lock must be") << "pipe";
}

void tst_PortChange::unwritableSettings_warnAndKeepTheEarlierValue()
{
    QFETCH(QString, blocker);
    linkDevice(1);
    PseudoTerminal &second = linkDevice(2);
    if (blocker == "file")
        QVERIFY(QDir().mkpath(m_config->settingsFile()));
    else
        m_config->storePort("1");
    const QByteArray before = m_config->settingsFileContent();
    if (blocker == "lock")
        QVERIFY(QDir().mkpath(m_config->settingsFile() + ".lock/x"));
    if (blocker == "pipe")
        QCOMPARE(::mkfifo(qPrintable(m_config->settingsFile() + ".lock"), 0600), 0);
    showActiveWindow();

    QVERIFY(changePortTo(2));
    QCOMPARE(m_warnings->seen().size(), 1);
    QVERIFY(m_parts->Coom1->PortOpen()); // the port itself changed
    QTRY_VERIFY(second.isHeldOpen());
    QCOMPARE(m_config->settingsFileContent(), before);
}

void tst_PortChange::choosingInTheDropDown_appliesNothingUntilTheFocusMoves()
{
    linkDevice(1);
    PseudoTerminal &third = linkDevice(3);
    showActiveWindow();
    device(1).write("kept");
    QTRY_COMPARE(m_parts->Coom1->InBufferCount(), 4);

    m_parts->ComboCom->setFocus(Qt::TabFocusReason);
    QAbstractItemView *view = m_parts->ComboCom->view();
    // Dismissed with Escape, which highlights the chosen entry again, or by a click outside once
    // the pointer has highlighted another, it opens again on the chosen entry.
    for (const bool escape : {true, false}) {
        QTest::keyClick(m_parts->ComboCom, Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(view->isVisible());
        QCOMPARE(view->currentIndex().row(), 0);
        if (escape) {
            QTest::keyClick(view, Qt::Key_Down);
            QTest::keyClick(view, Qt::Key_Escape);
            QCOMPARE(view->currentIndex().row(), 0);
        } else {
            QTest::mouseMove(view->viewport(),
                             QPoint(8, view->visualRect(view->model()->index(3, 0)).center().y()));
            QTRY_COMPARE(view->currentIndex().row(), 3);
            m_parts->ComboCom->hidePopup();
        }
        QTRY_VERIFY(!view->isVisible());
    }
    QTest::mouseClick(m_parts->ComboCom, Qt::LeftButton);
    QTRY_VERIFY(view->isVisible());
    QCOMPARE(view->currentIndex().row(), 0);
    // The drop-down ignores a release that comes as fast as a double click after it opened.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QPoint entry(8, view->visualRect(view->model()->index(2, 0)).center().y());
    QTest::mouseMove(view->viewport(), entry);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, entry);
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(m_parts->ComboCom->currentText(), "C3");
    QTest::qWait(20);

    // Still the old port, never reopened, and nothing stored.
    QCOMPARE(m_parts->Coom1->CommPort(), 1);
    QCOMPARE(m_parts->Coom1->InBufferCount(), 4);
    QVERIFY(!QFile::exists(m_config->settingsFile()));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(m_parts->Coom1->CommPort(), 3);
    QTRY_VERIFY(third.isHeldOpen());
    QCOMPARE(storedPort(), "3");
}

void tst_PortChange::windowDeactivatedOrClosed_appliesNothing_data()
{
    QTest::addColumn<bool>("closedWhileChanging");
    QTest::newRow("deactivated and back, then closed") << false;
    // Not user input, so nothing keeps it waiting while the list's handler processes events.
    QTest::newRow("closed by the window system as the focus leaves") << true;
}

void tst_PortChange::windowDeactivatedOrClosed_appliesNothing()
{
    QFETCH(bool, closedWhileChanging);
    linkDevice(1);
    PseudoTerminal &fifth = linkDevice(5);
    showActiveWindow();
    chooseInList(5);

    if (closedWhileChanging) {
        using Queued = QWindowSystemInterface::AsynchronousDelivery;
        QWindowSystemInterface::handleCloseEvent<Queued>(m_window->windowHandle());
        QTest::keyClick(m_parts->ComboCom, Qt::Key_Tab);
    } else {
        QWidget other;
        activateAnother(other);
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QCOMPARE(QApplication::focusWidget(), m_parts->ComboCom);
        m_window->close();
    }
    QTest::qWait(20);
    QVERIFY(!m_window->isVisible()); // which ends the program's event loop
    QVERIFY(m_warnings->seen().isEmpty());
    QVERIFY(!m_parts->Coom1->PortOpen());
    QVERIFY(!fifth.isHeldOpen());
    QVERIFY(!QFile::exists(m_config->settingsFile()));
}

void tst_PortChange::quickClickOnAButton_reopensFirstThenSendsToTheNewPort_data()
{
    QTest::addColumn<bool>("windowActive");
    QTest::addColumn<bool>("flushed");
    // Space typed right after the click, which presses the button that took the focus again.
    QTest::addColumn<bool>("typed");
    QTest::newRow("the window active") << true << false << false;
    // As the click that brings a person back from another window finds it under Wayland,
    // which activates it only later, or under X11 without a window manager.
    QTest::newRow("the window not yet active") << false << false << false;
    QTest::newRow("the window active, the release flushed") << true << true << false;
    QTest::newRow("the window not yet active, the release flushed") << false << true << false;
    QTest::newRow("the window active, Space typed after") << true << false << true;
}

void tst_PortChange::quickClickOnAButton_reopensFirstThenSendsToTheNewPort()
{
    QFETCH(bool, windowActive);
    QFETCH(bool, flushed);
    QFETCH(bool, typed);
    linkDevice(1);
    PseudoTerminal &fourth = linkDevice(4);
    connect(&fourth, &PseudoTerminal::received, this,
            [&](const QByteArray &) { fourth.write("port four answered. "); });
    showActiveWindow();
    chooseInList(4);
    QWidget other;
    if (!windowActive)
        activateAnother(other);
    // Installed last, so that it sees the events first.
    FlushFromWithinTheHandler flush;
    if (flushed) {
        m_parts->ComboCom->installEventFilter(&flush);
        m_parts->commandButton(1)->installEventFilter(&flush);
    }

    // Ends a wait whose reply the other press took.
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [this] { fireTick(*m_parts); });
    ticker.start(50);
    quickClick(m_parts->commandButton(1));
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        if (typed)
            QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
                m_window->windowHandle(), type, Qt::Key_Space, Qt::NoModifier, " ");
    }
    QTRY_COMPARE(m_parts->Lbl1->text(), "port four answered. ");
    QTRY_COMPARE(m_received[4], typed ? "cmd01 cmd01 " : "cmd01 ");
    QCOMPARE(m_received[1], "");
    QCOMPARE(storedPort(), "4");
    QVERIFY(!anyButtonDown());
}

void tst_PortChange::quickClickWithAWarning_leavesNoButtonPressed_data()
{
    QTest::addColumn<bool>("windowActive");
    QTest::newRow("the window active") << true;
    QTest::newRow("the window not yet active") << false;
}

void tst_PortChange::quickClickWithAWarning_leavesNoButtonPressed()
{
    QFETCH(bool, windowActive);
    linkDevice(1);
    showActiveWindow();
    chooseInList(7);
    QWidget other;
    if (!windowActive) {
        activateAnother(other);
    }

    quickClick(m_parts->commandButton(2));
    QTRY_COMPARE(m_warnings->seen().size(), 1);
    QTest::qWait(50);
    QVERIFY(!anyButtonDown());
    QCOMPARE(storedPort(), "7");

    // The buttons still answer to the next click.
    changePortTo(1);
    QTRY_VERIFY(device(1).isHeldOpen());
    connect(&device(1), &PseudoTerminal::received, this,
            [this](const QByteArray &) { device(1).write("still works, port 1."); });
    QTest::mouseClick(m_parts->commandButton(3), Qt::LeftButton);
    QCOMPARE(m_parts->Lbl1->text(), "still works, port 1.");
}

void tst_PortChange::portChangeDuringAWait_pollsTheReopenedPort()
{
    linkDevice(1);
    PseudoTerminal &fifth = linkDevice(5);
    showActiveWindow();
    // An adapter plugged in now gets its number when the list is used, but not within a wait.
    PseudoTerminal adapter;
    const bool canName = hasPrivateDev();
    if (canName)
        adapter.nameAsAdapter("usb-Telvaronix_C");
    const auto adapterNumbered = [&] {
        const auto links = QDir(portLinkFolder()).entryInfoList(QDir::System);
        return std::any_of(links.begin(), links.end(), [&](const QFileInfo &link) {
            return link.symLinkTarget() == adapter.adapterPath();
        });
    };
    bool numberedInTheWait = false;

    QTimer::singleShot(20, this, [&] {
        chooseInList(5);
        numberedInTheWait = adapterNumbered();
        QTest::keyClick(m_parts->ComboCom, Qt::Key_Tab);
    });
    QTimer::singleShot(60, this, [&] { fifth.write("from the fifth port!"); });
    QTest::mouseClick(m_parts->commandButton(1), Qt::LeftButton);

    QCOMPARE(m_received[1], "cmd01 ");
    QCOMPARE(m_parts->Coom1->CommPort(), 5);
    QCOMPARE(m_parts->Lbl1->text(), "from the fifth port!");
    QVERIFY(m_warnings->seen().isEmpty());
    if (!canName)
        QSKIP("no /dev of the test's own to name an adapter in");
    QVERIFY(!numberedInTheWait);
    m_parts->ComboCom->setFocus(Qt::TabFocusReason);
    QVERIFY(adapterNumbered());
}

QTEST_MAIN(tst_PortChange)
#include "tst_portchange.moc"
