// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/WrapButton.h"

#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace tolvanex {
namespace {

// Enter or Return alone: with Ctrl held they are a shortcut of the window.
bool isEnter(const QKeyEvent* event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

WrapButton::WrapButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent)
{
    setAccessibleName(caption);
}

void WrapButton::paintEvent(QPaintEvent* /*event*/)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, caption);
}

void WrapButton::keyPressEvent(QKeyEvent* event)
{
    if (!isEnter(event)) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // Pressed on the way down, clicked on the way up: a key held down clicks once, and a prompt the
    // click opens does not get the same key's repeats as its own Enter.
    if (!event->isAutoRepeat())
        setDown(true);
    event->accept();
}

void WrapButton::keyReleaseEvent(QKeyEvent* event)
{
    if (!isEnter(event)) {
        QPushButton::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (!event->isAutoRepeat() && isDown()) {
        setDown(false);
        click();
    }
}

} // namespace tolvanex
