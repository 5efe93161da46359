// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up baselines: a window of the main window's size with one plain-text box and two
// buttons, which ends after its first paint. With the argument "heading" it first does what the
// heading block must do before any window shows, no more: two appends of a heading's bytes to two
// new files in the folder c:\tolvanex (HOME/tolvanex here), each synced to the disk.
#include "FirstPaint.h"
#include "Stamps.h"

#include "core/text/Controls.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// A heading block's size in bytes: filler line, assignment line, header line, title and date.
constexpr char kHeading[] = "Xq#kB%mZ)vW^pe@Lr+j\r\nassignment #002\r\n002.  Motion in one dimension\r\n"
                            "Physics I\r\n12-09-2026\r\n";

bool appendAndSync(const std::string& folder, const char* name)
{
#ifdef _WIN32
    const std::string path = folder + "\\" + name;
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, kHeading, sizeof kHeading - 1, &written, nullptr) && FlushFileBuffers(file);
    CloseHandle(file);
    return ok;
#else
    const std::string path = folder + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool ok
        = ::write(fd, kHeading, sizeof kHeading - 1) == static_cast<ssize_t>(sizeof kHeading - 1) && ::fsync(fd) == 0;
    ::close(fd);
    return ok;
#endif
}

bool writeHeading()
{
#ifdef _WIN32
    const std::string folder = "c:\\tolvanex";
    CreateDirectoryA(folder.c_str(), nullptr);
#else
    const char* home = std::getenv("HOME");
    const std::string folder = std::string(home ? home : ".") + "/tolvanex";
    ::mkdir(folder.c_str(), 0777);
#endif
    return appendAndSync(folder, "masterFile_Bench_Student.txt") && appendAndSync(folder, "send_1209Bench_Student.txt");
}

} // namespace

int main(int argc, char** argv)
{
    tolvanex::bench::Stamps::note("main");
    const bool heading = argc > 1 && std::strcmp(argv[1], "heading") == 0;
    QApplication app(argc, argv);
    tolvanex::bench::Stamps::note("application");
    QWidget window;
    const tolvanex::controls::Pixels client = tolvanex::controls::pixels(tolvanex::controls::clientArea);
    window.resize(client.width, client.height);
    QPlainTextEdit box(&window);
    place(box, "txt_question");
    QPushButton next(captionOf("cmdNextQuestion"), &window);
    place(next, "cmdNextQuestion");
    QPushButton quit(captionOf("cmd_quit"), &window);
    place(quit, "cmd_quit");
    tolvanex::bench::Stamps::note("window");
    if (heading) {
        tolvanex::bench::Stamps::note("heading");
        if (!writeHeading())
            return 3;
        tolvanex::bench::Stamps::note("headed");
    }
    tolvanex::bench::Stamps::note("loaded");
    tolvanex::bench::QuitAfterFirstPaint quitter(&window);
    window.show();
    tolvanex::bench::Stamps::note("shown");
    return QApplication::exec();
}
