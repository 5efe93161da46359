// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"
#include "core/platform/RealServices.h"
#include "gui/window/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    if (const std::optional<int> status = tolvanex::answerCommandLine(argc, argv))
        return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName("tolvanex");
    using namespace tolvanex;
    QtPrompter prompter;
    QtMessageService messages;
    SystemClock clock;
    SplitMixRandom random;
    LocalFileSystem files(LocalFileSystem::userHomeFolder());
    QtBeeper beeper;
    QtClipboard clipboard;
    QtProgramExit exit;
    // Declared before the window, so that it ends after it, finishing the last draft's save.
    WorkerThread background;
    MainWindow window({ { prompter, messages, clock, random, files, beeper, exit, background }, clipboard });
    if (!window.load())
        return 0;
    window.show();
    return QApplication::exec();
}
