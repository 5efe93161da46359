#include "pictures/PictureBox.h"

#include <QPainter>
#include <QResizeEvent>

namespace tolvanex {

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent)
    , m_scaleWidth(0)
    , m_scaleHeight(0)
{
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setScale(double width, double height)
{
    m_scaleWidth = width;
    m_scaleHeight = height;
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    QImage grown(event->size().expandedTo(m_drawing.size()), QImage::Format_RGB32);
    grown.fill(Qt::white);
    if (!m_drawing.isNull()) {
        QPainter painter(&grown);
        painter.drawImage(0, 0, m_drawing);
    }
    m_drawing = grown;
    QWidget::resizeEvent(event);
}

void PictureBox::drawCircle(double centerX, double centerY, double radius)
{
    if (m_drawing.isNull() || m_scaleWidth <= 0 || m_scaleHeight <= 0)
        return;
    const double unitX = width() / m_scaleWidth;
    const double unitY = height() / m_scaleHeight;
    const QPointF center(centerX * unitX, centerY * unitY);
    const double pixels = radius * unitX;
    QPainter painter(&m_drawing);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(center, pixels, pixels);
    update();
}

void PictureBox::setPicture(const QImage& picture)
{
    m_picture = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_picture.isNull())
        painter.drawImage(0, 0, m_picture);
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.drawImage(0, 0, m_drawing);
}

} // namespace tolvanex
