// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>

class QWidget;

// The window worked with the keyboard alone: Enter presses buttons, and the focus shows.
//
// Outside dialogs Qt presses a focused button with Space only; Enter and the keypad's Enter
// press it here too, exactly as Space does (down on the key's press, clicked on its release).
class EnterPressesButtons : public QObject
{
    Q_OBJECT

public:
    // Watches every button of `window`.
    explicit EnterPressesButtons(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Draws the focus from the first moment, not only once a key has moved it, and rings the
// focused control in the text colour, two pixels wide: the style's own thin ring hardly
// differs from an unfocused frame.
void showFocusClearly(QWidget *window);
