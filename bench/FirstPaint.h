// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Ends the event loop once a window has painted for the first time.

#include "Stamps.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace tolvanex::bench {

class QuitAfterFirstPaint : public QObject {
public:
    explicit QuitAfterFirstPaint(QWidget* window) { window->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        // Queued: the quit comes after the paint of the window and its children has finished.
        if (event->type() == QEvent::Paint && !m_quitting) {
            m_quitting = true;
            Stamps::note("paint");
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool m_quitting = false;
};

} // namespace tolvanex::bench
