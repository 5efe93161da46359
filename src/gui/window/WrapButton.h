// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

namespace tolvanex {

// A push button whose caption wraps onto several lines when it does not fit, the way a classic
// command button shows it; Enter presses it as Space does, when the key comes up again.
class WrapButton : public QPushButton {
    Q_OBJECT
public:
    WrapButton(const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};

} // namespace tolvanex
