// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#include "windowparts.h"

#include <main_window/Telvaronix>

#include <QLabel>
#include <QTest>
#include <QWindow>

// The window on a denser screen (run with QT_SCALE_FACTOR set): the layout grows with the
// scale factor, and the banner is drawn from its large source rather than blown up.
class tst_Scaling : public QObject
{
    Q_OBJECT

private slots:
    void window_growsWithTheScaleAndTheBannerStaysSharp();
};

void tst_Scaling::window_growsWithTheScaleAndTheBannerStaysSharp()
{
    const qreal ratio = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
    if (ratio <= 1.0)
        QSKIP("run with QT_SCALE_FACTOR above 1");
    WindowWithoutDevice withoutDevice;
    QVERIFY(withoutDevice.show());
    const Telvaronix &window = withoutDevice.window;
    QCOMPARE(window.windowHandle()->devicePixelRatio(), ratio);
    QCOMPARE(window.size(), QSize(457, 266));

    QLabel *banner = window.findChild<QLabel *>("Image10");
    const QImage shown = banner->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QSize devicePixels = (QSizeF(431, 62) * ratio).toSize();
    QCOMPARE(shown.size(), devicePixels);
    const QImage large = QImage(":/banner@2x.png")
                             .scaled(devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    QVERIFY(shown == large);
    // Blown up from the small picture, it would look different.
    const QImage blownUp =
        QImage(":/banner.bmp")
            .scaled(devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGB32);
    QVERIFY(shown != blownUp);
}

QTEST_MAIN(tst_Scaling)
#include "tst_scaling.moc"
