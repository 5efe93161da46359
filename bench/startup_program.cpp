// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start-up as the benchmark times it: the main window over scripted prompts and the
// real file system (drive c: is HOME), loaded at assignment 2, shown, and ended after its first
// paint. Exits with 3 when the start-up failed.
#include "BenchWindow.h"
#include "FirstPaint.h"
#include "Stamps.h"

#include <QApplication>

int main(int argc, char** argv)
{
    tolvanex::bench::Stamps::note("main");
    QApplication app(argc, argv);
    QApplication::setApplicationName("tolvanex");
    tolvanex::bench::Stamps::note("application");
    tolvanex::bench::BenchWindow w;
    tolvanex::bench::Stamps::note("window");
    if (!w.start("2"))
        return 3;
    tolvanex::bench::Stamps::note("loaded");
    tolvanex::bench::QuitAfterFirstPaint quitter(&w.window);
    w.window.show();
    tolvanex::bench::Stamps::note("shown");
    return QApplication::exec();
}
