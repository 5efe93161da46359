// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Text box speed: "display notes" with 200 KB, 1 MB and 5 MB notes files, the time until the window
// answers again and a page scroll through the result, "display SEND file" with a 20,000-line send file, and paging
// through a whole assignment. Each is timed against a bare QPlainTextEdit of the box's size doing the same to the same
// text.
#include "BenchWindow.h"

#include "core/platform/RealServices.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>

#include <fstream>
#include <iterator>

using namespace tolvanex;
using namespace tolvanex::bench;

namespace {

// Rounds per figure; "runs=N" on the command line changes it (for profiling).
int kRuns = 5;
const QSize kBoxSize(345, 217);
// The assignment with the most lines in the bank.
const std::string kAssignment = "2";

std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

QWidget* textArea(QWidget* box)
{
    auto* area = qobject_cast<QAbstractScrollArea*>(box);
    return area ? area->viewport() : box;
}

// A window started at the assignment, shown and painted, with the first question in the box.
struct ShownWindow {
    explicit ShownWindow(const std::filesystem::path& folder)
        : home(folder)
    {
        if (!w.start(kAssignment)) {
            std::fprintf(stderr, "bench: start-up ended the program\n");
            std::exit(2);
        }
        question = w.child<QWidget>("txt_question");
        paints = std::make_unique<PaintCounter>(textArea(question));
        w.window.show();
        settle(*paints, 0);
    }
    std::filesystem::path native(const std::string& path) const { return nativePath(path, home.string()); }
    void click(const char* button) { w.child<QPushButton>(button)->click(); }
    // Clicks and waits until the question box has painted and everything is idle.
    double timedClick(const char* button)
    {
        return timeMs([&] {
            const int before = paints->paints;
            click(button);
            settle(*paints, before);
        });
    }

    std::filesystem::path home;
    BenchWindow w;
    QWidget* question = nullptr;
    std::unique_ptr<PaintCounter> paints;
};

// A bare box of the same size with default settings, shown and idle, holding `initial`.
struct BareBox {
    explicit BareBox(const QString& initial = {})
    {
        box.resize(kBoxSize);
        box.setPlainText(initial);
        paints = std::make_unique<PaintCounter>(box.viewport());
        box.show();
        settle(*paints, 0);
    }
    double timed(const std::function<void()>& change)
    {
        return timeMs([&] {
            const int before = paints->paints;
            change();
            settle(*paints, before);
        });
    }
    QPlainTextEdit box;
    std::unique_ptr<PaintCounter> paints;
};

// Records of the kind the program writes, made by the program itself: one note, and the send
// file's heading and one response record.
struct SampleRecords {
    std::string note;
    std::string sendHeading;
    std::string sendRecord;
};

SampleRecords sampleRecords(const std::filesystem::path& home)
{
    SampleRecords samples;
    ShownWindow s(home);
    const FileNames names = s.w.fileNames();
    samples.sendHeading = readBytes(s.native(names.send));
    s.click("cmdNextQuestion");
    s.w.typeAnswer("v = 3 m/s\nok");
    s.w.prompter.replies = { "2" };
    s.click("cmd_enter_response");
    samples.sendRecord = readBytes(s.native(names.send)).substr(samples.sendHeading.size());
    s.click("cmdNextQuestion");
    s.w.typeAnswer("The period is 1.57 s.\nTiming 20 cycles divides the reaction-time error by 20.");
    s.click("cmd_save_as_notes");
    samples.note = readBytes(s.native(names.notes));
    std::filesystem::remove(s.native(names.notes));
    return samples;
}

std::string repeatedTo(const std::string& unit, std::size_t size)
{
    std::string bytes;
    bytes.reserve(size);
    while (bytes.size() < size)
        bytes += unit;
    bytes.resize(size);
    return bytes;
}

// The send file: the heading, then response records cut off after exactly `lines` lines.
std::string sendFileOf(const SampleRecords& samples, int lines)
{
    std::string bytes = samples.sendHeading;
    int count = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
    while (count < lines) {
        for (char c : samples.sendRecord) {
            bytes += c;
            if (c == '\n' && ++count == lines)
                break;
        }
    }
    return bytes;
}

// "display notes" with a notes file of `size` bytes, against a bare box given the same text. With
// answerWithinMs, also the time from the click until the window has painted the box and answers
// again, against that limit; with scrollWithinMs, five page scrolls after it, each against it.
bool displayNotes(const std::filesystem::path& home, const SampleRecords& samples, std::size_t size, const char* label,
    double answerWithinMs, double scrollWithinMs, bool& allMet)
{
    const bool scroll = scrollWithinMs > 0;
    const std::string notes = repeatedTo(samples.note, size);
    QString finalText;
    std::vector<double> scrolls;
    auto ours = [&] {
        ShownWindow s(home);
        s.click("cmdNextQuestion");
        settle(*s.paints, s.paints->paints);
        writeBytes(s.native(s.w.fileNames().notes), notes);
        const std::size_t before = s.w.window.questionText().size();
        const double ms = s.timedClick("cmd_display_note_file");
        const std::string text = s.w.window.questionText();
        if (text.size() < before + notes.size() / 2) {
            std::fprintf(stderr, "bench: the notes were not shown\n");
            std::exit(2);
        }
        // The box shows the text as it is: one paragraph per CR LF, no line break added.
        std::size_t breaks = 0;
        for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
            ++breaks;
        auto* edit = qobject_cast<QPlainTextEdit*>(s.question);
        if (edit && static_cast<std::size_t>(edit->document()->blockCount()) != breaks + 1) {
            std::fprintf(stderr, "bench: the box holds %d paragraphs, the text %zu\n", edit->document()->blockCount(),
                breaks + 1);
            std::exit(2);
        }
        finalText = QString::fromStdString(text);
        if (scroll) {
            auto* bar = qobject_cast<QAbstractScrollArea*>(s.question)->verticalScrollBar();
            for (int page = 0; page < 5; ++page) {
                scrolls.push_back(timeMs([&] {
                    const int paintsBefore = s.paints->paints;
                    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
                    settle(*s.paints, paintsBefore);
                }));
            }
        }
        return ms;
    };
    ours(); // warm-up; also gives the final text for the baseline
    scrolls.clear();
    auto baseline = [&] {
        BareBox bare;
        return bare.timed([&] { bare.box.setPlainText(finalText); });
    };
    const Medians m = measurePair(kRuns, baseline, ours);
    bool met = printRatio("B3", std::string("display notes, ") + label + " notes file", m, 0.6);
    if (answerWithinMs > 0)
        met = printLimit(
                  "B3", std::string("  until the window answers again, ") + label, m.ours, m.runs, answerWithinMs, "ms")
            && met;
    if (scroll)
        met = printLimit("B3", std::string("  then a page scroll of the ") + label + " box", median(scrolls),
                  static_cast<int>(scrolls.size()), scrollWithinMs, "ms")
            && met;
    allMet = allMet && met;
    return met;
}

void displaySendFile(const std::filesystem::path& home, const SampleRecords& samples, bool& allMet)
{
    const std::string send = sendFileOf(samples, 20000);
    QString initial;
    QString tail;
    auto ours = [&] {
        ShownWindow s(home);
        s.click("cmdNextQuestion");
        settle(*s.paints, s.paints->paints);
        writeBytes(s.native(s.w.fileNames().send), send);
        const std::string before = s.w.window.questionText();
        const double ms = s.timedClick("cmd_displayCumulativeText");
        const std::string after = s.w.window.questionText();
        initial = QString::fromStdString(before);
        tail = QString::fromStdString(after.substr(before.size()));
        return ms;
    };
    ours();
    auto baseline = [&] {
        BareBox bare(initial);
        return bare.timed([&] {
            QTextCursor cursor(bare.box.document());
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(tail);
        });
    };
    const Medians m = measurePair(kRuns, baseline, ours);
    allMet = printRatio("B4", "display SEND file, 20,000 lines (" + std::to_string(send.size() / 1024) + " KB)", m, 1.2)
        && allMet;
}

void pageThroughAssignment(const std::filesystem::path& home, bool& allMet)
{
    std::vector<QString> tails;
    auto ours = [&] {
        ShownWindow s(home);
        const bool record = tails.empty();
        double ms = 0;
        if (record) {
            // The last click reads the next assignment's header and ends the program.
            for (;;) {
                const std::string before = s.w.window.questionText();
                s.click("cmdNextQuestion");
                if (s.w.window.hasEnded())
                    break;
                tails.push_back(QString::fromStdString(s.w.window.questionText().substr(before.size())));
            }
            return ms;
        }
        ms = timeMs([&] {
            const int before = s.paints->paints;
            for (std::size_t i = 0; i < tails.size(); ++i)
                s.click("cmdNextQuestion");
            settle(*s.paints, before);
        });
        if (s.w.window.hasEnded()) {
            std::fprintf(stderr, "bench: the assignment ended early\n");
            std::exit(2);
        }
        return ms;
    };
    ours();
    auto baseline = [&] {
        BareBox bare;
        return bare.timed([&] {
            for (const QString& tail : tails) {
                QTextCursor cursor(bare.box.document());
                cursor.movePosition(QTextCursor::End);
                cursor.insertText(tail);
            }
        });
    };
    const Medians m = measurePair(kRuns, baseline, ours);
    allMet
        = printRatio("B6", "Next Question through assignment 002 (" + std::to_string(tails.size()) + " clicks)", m, 1.2)
        && allMet;
}

} // namespace

// With no arguments every benchmark runs; otherwise only those named: notes (or notes200, notes1,
// notes5 for one size), send, paging.
int main(int argc, char** argv)
{
    TempHome home;
    QApplication app(argc, argv);
    QApplication::setApplicationName("tolvanex");
    QStringList named = QApplication::arguments().mid(1);
    for (const QString& argument : QStringList(named)) {
        if (argument.startsWith("runs=")) {
            kRuns = std::max(1, argument.mid(5).toInt());
            named.removeOne(argument);
        }
    }
    auto wanted = [&](const char* name) { return named.isEmpty() || named.contains(name); };
    const SampleRecords samples = sampleRecords(home.path);
    bool allMet = true;
    // A student who writes a note on most blocks has a notes file of a few hundred KB after a year.
    if (wanted("notes") || named.contains("notes200"))
        displayNotes(home.path, samples, 200 << 10, "200 KB", 50, 16, allMet);
    if (wanted("notes") || named.contains("notes1"))
        displayNotes(home.path, samples, 1 << 20, "1 MB", 100, 16, allMet);
    if (wanted("notes") || named.contains("notes5"))
        displayNotes(home.path, samples, 5 << 20, "5 MB", 0, 100, allMet);
    if (wanted("send"))
        displaySendFile(home.path, samples, allMet);
    if (wanted("paging"))
        pageThroughAssignment(home.path, allMet);
    return allMet ? 0 : 1;
}
