// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace tolvanex {

// Words for a screen reader to speak at once, whatever has the focus: an empty, unpainted widget
// that accessibility tools see as a notification, named by the words, which speak it when it
// shows. Nothing of it is seen on screen, and it never takes the focus.
class Announcer : public QWidget {
    Q_OBJECT
public:
    explicit Announcer(QWidget* parent);

    // Shows the words anew (a screen reader speaks them once more, even when they are the same).
    void announce(const QString& words);
    // Takes the words away.
    void quiet();
};

} // namespace tolvanex
