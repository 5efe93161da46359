// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// "Enter Response" with a confidence reply, the record put on stable storage, against writing the
// same bytes to the same two files with plain open, write, fsync and close.
#include "BenchWindow.h"

#include "core/recording/Filer.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

using namespace tolvanex;
using namespace tolvanex::bench;

namespace {

constexpr int kRuns = 21;

std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void appendAndSync(const std::filesystem::path& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || ::fsync(fd) != 0
        || ::close(fd) != 0) {
        std::perror(path.c_str());
        std::exit(2);
    }
}

} // namespace

int main(int argc, char** argv)
{
    TempHome home;
    QApplication app(argc, argv);
    QApplication::setApplicationName("tolvanex");

    std::string masterBytes;
    std::string sendBytes;
    std::filesystem::path master;
    std::filesystem::path send;
    auto ours = [&] {
        BenchWindow w;
        if (!w.start("2"))
            std::exit(2);
        const FileNames names = w.fileNames();
        master = nativePath(names.master, home.path.string());
        send = nativePath(names.send, home.path.string());
        // Up to the first question, with a typed answer.
        while (w.window.questionText().find("`q") == std::string::npos)
            w.child<QPushButton>("cmdNextQuestion")->click();
        w.typeAnswer("v = 3 m/s\nThe period is 1.57 s because 31.4 s / 20 = 1.57 s.");
        w.prompter.replies = { "2" };
        const std::size_t masterBefore = std::filesystem::file_size(master);
        const std::size_t sendBefore = std::filesystem::file_size(send);
        QPushButton* enter = w.child<QPushButton>("cmd_enter_response");
        const double ms = timeMs([&] { enter->click(); });
        masterBytes = readBytes(master).substr(masterBefore);
        sendBytes = readBytes(send).substr(sendBefore);
        if (masterBytes.find("confidence assessment:  2\r\n") == std::string::npos || !w.messages.shown.empty()) {
            std::fprintf(stderr, "bench: the response was not recorded\n");
            std::exit(2);
        }
        return ms;
    };
    ours(); // warm-up; also gives the bytes for the baseline
    auto baseline = [&] {
        return timeMs([&] {
            appendAndSync(master, masterBytes);
            appendAndSync(send, sendBytes);
        });
    };
    const Medians m = measurePair(kRuns, baseline, ours);
    bool met = printRatio("B5", "Enter Response: lock, journal, records synced", m, 3.0);

    // The typed words handed to the draft, on the UI thread, while the worker thread writes and
    // syncs them: the worst of many hand-overs.
    std::string last;
    std::vector<double> handOvers;
    {
        BenchWindow w;
        if (!w.start("2"))
            std::exit(2);
        auto* timer = w.window.findChild<QTimer*>("draftTimer");
        for (int i = 0; i < 200; ++i) {
            last = "v = 3 m/s, \xCE\x94v = " + std::to_string(i) + std::string(2000, 'x');
            w.typeAnswer(last.c_str());
            handOvers.push_back(timeMs([&] { QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection); }));
        }
    }
    // The window's own draft, the first window's.
    if (decodeDraft(readBytes(nativePath(workFiles("c:\\tolvanex", "Bench_Student", 1).draft, home.path.string())))
            .words
        != last) {
        std::fprintf(stderr, "bench: the draft does not hold the last words\n");
        std::exit(2);
    }
    met = printLimit("B8", "draft hand-over on the UI thread, worst of 200",
              *std::max_element(handOvers.begin(), handOvers.end()), 200, 1, "ms")
        && met;
    return met ? 0 : 1;
}
