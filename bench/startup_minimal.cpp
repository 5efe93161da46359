// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up baseline: a window of the main window's size with one plain-text box and two
// buttons, which ends after its first paint.
#include "FirstPaint.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(725, 566);
    QPlainTextEdit box(&window);
    box.setGeometry(16, 48, 345, 217);
    QPushButton next("Next Question / Answer", &window);
    next.setGeometry(16, 0, 65, 49);
    QPushButton quit("quit program", &window);
    quit.setGeometry(680, 0, 49, 33);
    tolvanex::bench::QuitAfterFirstPaint quitter(&window);
    window.show();
    return QApplication::exec();
}
