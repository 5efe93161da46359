// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up baseline: a window of the main window's size with one plain-text box and two
// buttons, which ends after its first paint.
#include "FirstPaint.h"

#include "core/text/Controls.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// The control's place on the main window.
void place(QWidget& widget, std::string_view name)
{
    const tolvanex::controls::Pixels at = tolvanex::controls::pixels(tolvanex::controls::named(name).place);
    widget.setGeometry(at.x, at.y, at.width, at.height);
}

QString captionOf(std::string_view name)
{
    const std::string_view caption = tolvanex::controls::named(name).caption;
    return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    const tolvanex::controls::Pixels client = tolvanex::controls::pixels(tolvanex::controls::clientArea);
    window.resize(client.width, client.height);
    QPlainTextEdit box(&window);
    place(box, "txt_question");
    QPushButton next(captionOf("cmdNextQuestion"), &window);
    place(next, "cmdNextQuestion");
    QPushButton quit(captionOf("cmd_quit"), &window);
    place(quit, "cmd_quit");
    tolvanex::bench::QuitAfterFirstPaint quitter(&window);
    window.show();
    return QApplication::exec();
}
