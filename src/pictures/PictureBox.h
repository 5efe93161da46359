#pragma once

#include "pictures/PendExp.h"

#include <QImage>
#include <QWidget>

namespace tolvanex {

// A picture box: white background, a user scale (1000 x 1000 once the program has started), a
// drawing kept in a backing image so it survives repaints, and an assigned picture, which is
// separate from the drawing and is what "copy picture" copies.
class PictureBox : public QWidget, public CircleCanvas {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent);

    void setScale(double width, double height);
    double scaleWidth() const { return m_scaleWidth; }
    double scaleHeight() const { return m_scaleHeight; }

    // The radius is measured along the horizontal axis of the scale; the circle is round on screen.
    void drawCircle(double centerX, double centerY, double radius) override;

    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    // The drawing only (white where nothing was drawn), at the box's size in pixels.
    const QImage& drawing() const { return m_drawing; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    double m_scaleWidth;
    double m_scaleHeight;
    QImage m_picture;
    QImage m_drawing;
};

} // namespace tolvanex
