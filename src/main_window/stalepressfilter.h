// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>

// Keeps one mouse press that is already on its way from reaching its widget.
//
// When the port list loses the focus to a mouse press on a button and its handler shows a
// modal warning, the warning takes the mouse release; the press itself reaches the button only
// after the handler returns and would leave it drawn pressed with no release to follow. This
// one-shot application filter swallows that press, and removes itself once the events already
// queued have been handled, whether or not the press came.
class StalePressFilter : public QObject
{
    Q_OBJECT

public:
    static void dropNextPress();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit StalePressFilter(QObject *parent);
};
