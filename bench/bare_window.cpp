// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
// The least a program of Telvaronix's kind costs: a bare Qt Widgets window with the same
// controls (a fixed 457 x 266 window, four buttons, a list of eight entries, two labels) and
// an unopened QSerialPort, and nothing else. The start-up benchmark's floor.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSerialPort>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Bare");
    window.setFixedSize(457, 266);
    for (int i = 0; i < 4; ++i) {
        auto *button = new QPushButton(QString("Comando %1").arg(i + 1), &window);
        button->setGeometry(32, 32 + 32 * i, 89, 25);
    }
    auto *list = new QComboBox(&window);
    for (int i = 1; i <= 8; ++i)
        list->addItem(QString("C%1").arg(i));
    list->setGeometry(320, 128, 48, 21);
    (new QLabel("Recepción:", &window))->setGeometry(152, 40, 105, 25);
    (new QLabel(&window))->setGeometry(152, 72, 297, 33);
    new QSerialPort(&window);
    window.show();
    return QApplication::exec();
}
