// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "telvaronix.h"
#include "ui_telvaronix.h"

#include "accessibility.h"
#include "captionfit.h"
#include "clickhold.h"
#include "device_link/adapternumbering.h"
#include "device_link/serialport.h"
#include "errorcollector.h"
#include "keyboard.h"
#include "layoutscale.h"
#include "portlistwatch.h"
#include "portnumbertext.h"
#include "portsetting.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace {
// What the window system's frame may add to the window: borders and a title bar. It is not
// known before the window is shown, and the window must fit the screen with it.
constexpr QSize FrameAllowance(16, 48);
// The banner's width in the form; its pictures come in one, two and four times that.
constexpr int BannerWidth = 431;
} // namespace

const QString Telvaronix::WarningText =
    QStringLiteral("Numero de Puerto Invalido. Seleccione otro puerto");

Telvaronix::Telvaronix(QWidget *parent)
    // A window of fixed size offers no maximise button. Given here rather than set later,
    // which would make the window anew and cost the start noticeably.
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                  Qt::WindowCloseButtonHint),
      m_ui(new Ui::TelvaronixForm), Timer1(new QTimer(this)),
      Coom1(new DeviceLink::SerialPort(this))
{
    describeToScreenReaders(this, {QStringLiteral("Frame1"), QStringLiteral("Lbl1")});
    m_ui->setupUi(this);
    m_ui->Lbl1->hide(); // until the first reply (see showReply())
    const QRect available = availableScreenArea();
    const QSize room = available.isEmpty() ? QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)
                                           : available.size() - FrameAllowance;
    const WindowFit fit =
        fitToDesktopFont(this, m_ui->Lbl1, ReplyLength, QApplication::font(), room);
    setFont(fit.font);
    scaleLayout(this, fit.scale);
    placeOnScreen(available);
    m_ui->Image10->setPixmap(banner(m_ui->Image10->size(), devicePixelRatioF()));
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Coom1->setObjectName(QStringLiteral("Coom1"));

    connect(m_ui->Cmd1, &QPushButton::clicked, this, &Telvaronix::Cmd1_Click);
    connect(m_ui->Cmd2, &QPushButton::clicked, this, &Telvaronix::Cmd2_Click);
    connect(m_ui->Cmd3, &QPushButton::clicked, this, &Telvaronix::Cmd3_Click);
    connect(m_ui->Cmd4, &QPushButton::clicked, this, &Telvaronix::Cmd4_Click);
    connect(Timer1, &QTimer::timeout, this, &Telvaronix::Timer1_Timer);
    // The click hold sees a press after the watch has let it change the port.
    m_clickHold = new ClickHold(this, [this] { return m_closed; });
    auto *portList = new PortListWatch(m_ui->ComboCom, this);
    connect(portList, &PortListWatch::left, this, &Telvaronix::ComboCom_LostFocus);
    connect(portList, &PortListWatch::focused, this, &Telvaronix::numberNewDevicesBeforeChoosing);
    connect(portList, &PortListWatch::opened, this, &Telvaronix::numberNewDevicesBeforeChoosing);
    new EnterPressesButtons(this);

    // The timer ticks from here to the window's end and is never stopped: the waits count
    // its ticks but do not own it.
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->start(TickIntervalMs);

    m_ui->Cmd4->setFocus();
    showFocusClearly(this);
    // An adapter plugged in for the first time can then be the stored port.
    numberNewDevicesBeforeChoosing();
    Form_Load();
}

Telvaronix::~Telvaronix() = default;

QPixmap Telvaronix::banner(const QSize &size, qreal devicePixelRatio)
{
    // Drawn from the smallest picture with at least as many pixels as the screen shows, scaled
    // smoothly to exactly that many, so that the painter draws it one to one.
    const QSize devicePixels = (QSizeF(size) * devicePixelRatio).toSize();
    // The everyday picture is a plain bitmap: it is read at every start, where decoding a PNG
    // would cost more than all the rest of the banner. The larger ones are PNGs.
    const char *format = "bmp";
    QString source = QStringLiteral(":/banner.bmp");
    if (devicePixels.width() > BannerWidth) {
        format = "png";
        source = devicePixels.width() > 2 * BannerWidth ? QStringLiteral(":/banner@4x.png")
                                                        : QStringLiteral(":/banner@2x.png");
    }
    // Read with Qt's own reader for the format: left to detect it, QImageReader would first
    // load every image format plugin to ask it about the file, which slows the start noticeably.
    QImageReader reader(source, format);
    reader.setAutoDetectImageFormat(false);
    QImage picture = reader.read();
    if (picture.size() != devicePixels)
        picture = picture.scaled(devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPixmap pixmap = QPixmap::fromImage(picture);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QRect Telvaronix::availableScreenArea()
{
    // The screen under the pointer, where the window appears; empty without any screen.
    const QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void Telvaronix::placeOnScreen(const QRect &available)
{
    // Centred, frame and all, and never above or left of the screen's top left corner: the
    // window fits the screen with its frame. Placed before Form_Load runs, so that a warning it
    // shows before the window appears is centred where the window will be.
    if (available.isEmpty())
        return;
    QRect placed(QPoint(), size() + FrameAllowance);
    placed.moveCenter(available.center());
    move(std::max(placed.x(), available.x()), std::max(placed.y(), available.y()));
}

void Telvaronix::Form_Load()
{
    ErrorCollector errors;
    QString stored;
    qint16 port = 0;
    errors.run([&] {
        stored = SettingsStore::GetSetting(PortSetting::Application, PortSetting::Section,
                                           PortSetting::Key, PortSetting::Default);
    });
    errors.run([&] {
        const std::optional<qint16> number = portNumberFromText(stored);
        if (!number)
            throw std::out_of_range("the stored port number does not fit in 16 bits");
        port = *number;
    });
    if (port < 1 || port > PortSetting::PortCount)
        port = 1;
    errors.run([&] { Coom1->setCommPort(port); });
    errors.run([&] { Coom1->setPortOpen(true); });
    m_ui->ComboCom->setCurrentIndex(port - 1);
    if (errors.failed())
        showWarning();
}

void Telvaronix::showWarning()
{
    // A port that failed to open because the program is ending is no news to the user.
    if (DeviceLink::SerialPort::programStopRequested())
        return;
    QMessageBox box(QMessageBox::NoIcon, windowTitle(), WarningText, QMessageBox::Ok, this);
    // Screen readers read a box's text from its labels that take no focus; from Qt 6.11 on the
    // box's own label takes it, for selecting the text by keyboard, and Orca 51 then says only the
    // title and the button.
    if (auto *text = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
        text->setFocusPolicy(Qt::NoFocus);
    if (!isVisible()) {
        // Before the window is first shown Qt would centre the box on a window it cannot
        // place yet; centre it on the place the window is given instead.
        box.adjustSize();
        QRect placed(QPoint(), box.size());
        placed.moveCenter(geometry().center());
        box.move(placed.topLeft());
    }
    box.exec();
}

void Telvaronix::numberNewDevicesBeforeChoosing()
{
    // Making links is no business of a wait, whose passes stay as cheap as they are; the
    // adapter gets its number the next time the list is used.
    if (m_waitsRunning == 0)
        DeviceLink::numberNewSerialDevices(PortSetting::PortCount);
}

void Telvaronix::closeEvent(QCloseEvent *event)
{
    // Waits still running end at their next look. The port is released now rather than with
    // the window, so that nothing the toolkit does on its way out keeps other programs off it.
    m_closed = true;
    Coom1->setPortOpen(false);
    QWidget::closeEvent(event);
}
