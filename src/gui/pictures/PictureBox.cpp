// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/pictures/PictureBox.h"

#include "core/text/Text.h"
#include "core/text/Texts.h"
#include "gui/platform/QtServices.h"

#include <QPainter>
#include <QResizeEvent>

#include <exception>

namespace tolvanex {

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent)
    , m_scaleWidth(0)
    , m_scaleHeight(0)
{
    // Fixed colours, whatever the desktop's theme: black circles on white.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setScale(double width, double height)
{
    m_scaleWidth = width;
    m_scaleHeight = height;
}

void PictureBox::coverSize(const QSize& size)
{
    if (!m_drawing.isNull() && m_drawing.width() >= size.width() && m_drawing.height() >= size.height())
        return;
    QImage grown(size.expandedTo(m_drawing.size()), QImage::Format_ARGB32_Premultiplied);
    grown.fill(Qt::transparent);
    if (!m_drawing.isNull()) {
        QPainter painter(&grown);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, m_drawing);
    }
    m_drawing = grown;
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    coverSize(event->size());
    QWidget::resizeEvent(event);
}

void PictureBox::drawCircle(double centerX, double centerY, double radius)
{
    if (m_scaleWidth <= 0 || m_scaleHeight <= 0 || width() <= 0 || height() <= 0)
        return;
    // The box may not have been shown yet: its size is known, its resize event still to come.
    coverSize(size());
    const double unitX = width() / m_scaleWidth;
    const double unitY = height() / m_scaleHeight;
    const QPointF center(centerX * unitX, centerY * unitY);
    const double pixels = radius * unitX;
    QPainter painter(&m_drawing);
    painter.setPen(QPen(palette().color(foregroundRole()), 1, Qt::SolidLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(center, pixels, pixels);
    painter.end();
    update();
}

void PictureBox::setPicture(const QImage& picture)
{
    m_picture = picture;
    update();
}

QImage PictureBox::drawing() const
{
    QImage shown(size(), QImage::Format_RGB32);
    shown.fill(Qt::white);
    if (!m_drawing.isNull()) {
        QPainter painter(&shown);
        painter.drawImage(0, 0, m_drawing);
    }
    return shown;
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.fillRect(rect(), Qt::white);
    if (!m_picture.isNull())
        painter.drawImage(0, 0, m_picture);
    if (!m_drawing.isNull())
        painter.drawImage(0, 0, m_drawing);
}

void copyPicture(const PictureBox& from, PictureBox& to, PictureClipboard& clipboard, MessageService& messages)
{
    const QImage& picture = from.picture();
    // The first box never has a picture of its own: with nothing to copy, the clipboard and the
    // second box stay as they are.
    if (picture.isNull())
        return;
    std::optional<QImage> copied;
    try {
        if (!clipboard.putPicture(picture)) {
            messages.showMessage(std::string(texts::clipboardUnusable));
            return;
        }
        copied = clipboard.getPicture();
    } catch (const std::exception& error) {
        messages.showMessage(fill(texts::pictureNotCopied, { { "reason", error.what() } }));
        return;
    }
    if (!copied || copied->isNull()) {
        messages.showMessage(std::string(texts::pictureNotReadBack));
        return;
    }
    to.setPicture(*copied);
}

} // namespace tolvanex
