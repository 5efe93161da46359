// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tolvanex {

namespace {

constexpr int kUsageError = 2;

// The options QApplication and its X11 platform take out of the command line themselves; the
// parser lets them through without listing them in the usage.
struct QtOption {
    const char* name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    { "platform", true },
    { "platformpluginpath", true },
    { "platformtheme", true },
    { "plugin", true },
    { "qwindowgeometry", true },
    { "qwindowicon", true },
    { "qwindowtitle", true },
    { "session", true },
    { "display", true },
    { "geometry", true },
    { "title", true },
    { "icon", true },
    { "name", true },
    { "style", true },
    { "stylesheet", true },
    { "reverse", false },
    { "widgetcount", false },
    { "nograb", false },
    { "dograb", false },
};

const char* const kDescription
    = "A question-and-answer drill for the course Physics I. You type your name and pick an assignment;\n"
      "the program pages through its questions and worked answers and files your responses and notes\n"
      "in text files that you send to your instructor.";

const char* const kFilesAndEnvironment
    = "Qt's own options (-platform, -display, -style, -stylesheet, ...) are passed on to Qt.\n"
      "\n"
      "Files (Windows-1252 text with CR LF line ends; each filing is added at the end):\n"
      "  masterFile_<name>.txt  every response and note\n"
      "  send_<MMDD><name>.txt  the same records for one calendar day, to send to the instructor\n"
      "  notes_<name>.txt       the notes only\n"
      "Blanks in the name become _. The files go to the folder chosen at start-up, by default\n"
      "c:\\tolvanex. On Linux the drive c: is your home folder, so that folder is ~/tolvanex.\n"
      "\n"
      "Environment:\n"
      "  HOME             your home folder, which stands for the drive c:\n"
      "  DISPLAY          the X display the window opens on\n"
      "  WAYLAND_DISPLAY  the Wayland display, when Qt uses Wayland\n"
      "  QT_QPA_PLATFORM  Qt's window system plugin (xcb, wayland, offscreen)\n"
      "\n"
      "Exit status: 0, or 2 for a command line the program does not understand.\n";

void print(std::FILE* stream, const QString& text)
{
#ifdef _WIN32
    // A window program has no console of its own: started from one (cmd, PowerShell), it answers
    // in that console; output sent to a file or a pipe goes there as it is.
    if (::GetFileType(::GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE)) == FILE_TYPE_UNKNOWN
        && (::AttachConsole(ATTACH_PARENT_PROCESS) || ::GetLastError() == ERROR_ACCESS_DENIED))
        std::freopen("CONOUT$", "w", stream);
#endif
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

std::optional<int> answerCommandLine(int& argc, char** argv)
{
    // A QCoreApplication, not yet the QApplication: it needs no display and names the program in
    // the usage. It is gone before the window's application starts.
    const QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tolvanex"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOLVANEX_VERSION));

    QCommandLineParser parser;
    // Single-dash words are Qt's options (-stylesheet), not bundles of letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    const QCommandLineOption help({ QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Show this help."));
    const QCommandLineOption version(
        { QStringLiteral("v"), QStringLiteral("version") }, QStringLiteral("Show the program's version."));
    parser.addOption(help);
    parser.addOption(version);
    for (const QtOption& qt : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(qt.name));
        if (qt.takesValue)
            option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    const QString usage = parser.helpText() + QString::fromUtf8(kFilesAndEnvironment);
    const bool parsed = parser.parse(QCoreApplication::arguments());
    if (!parsed || !parser.positionalArguments().isEmpty()) {
        const QString error = parsed
            ? QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().constFirst())
            : parser.errorText();
        print(stderr, QStringLiteral("tolvanex: %1\n\n%2").arg(error, usage));
        return kUsageError;
    }
    if (parser.isSet(help)) {
        print(stdout, usage);
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("tolvanex %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    return std::nullopt;
}

} // namespace tolvanex
