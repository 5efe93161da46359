// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/pictures/PendExp.h"

#include <QImage>
#include <QWidget>

namespace tolvanex {

class MessageService;
class PictureClipboard;

// A picture box: white background, a user scale (1000 x 1000 once the program has started), a
// drawing kept in a backing image so it survives repaints, and an assigned picture, which is
// separate from the drawing and is what "copy picture" copies. The drawing lies over the picture.
class PictureBox : public QWidget, public CircleCanvas {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent);

    void setScale(double width, double height);
    double scaleWidth() const { return m_scaleWidth; }
    double scaleHeight() const { return m_scaleHeight; }

    // A circle in the foreground colour, one pixel wide, not filled. The centre is in the user
    // scale of each axis; the radius is measured along the horizontal axis, so the circle is round
    // on screen even though the box is not square. Nothing is drawn before a scale is set.
    void drawCircle(double centerX, double centerY, double radius) override;

    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    // The drawing only, over white, at the box's size in pixels: white where nothing was drawn.
    QImage drawing() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Grows the backing image to cover the box, keeping what is drawn; it never shrinks, so a box
    // made smaller and then larger again still shows its circles.
    void coverSize(const QSize& size);

    double m_scaleWidth;
    double m_scaleHeight;
    QImage m_picture;
    // Transparent where nothing was drawn, so the picture shows through.
    QImage m_drawing;
};

// "copy picture": puts the first box's assigned picture on the clipboard, then reads a picture
// back from the clipboard and makes it the second box's picture. With no picture to copy nothing
// changes; a clipboard that cannot be used is reported with a message and changes nothing either.
void copyPicture(const PictureBox& from, PictureBox& to, PictureClipboard& clipboard, MessageService& messages);

} // namespace tolvanex
