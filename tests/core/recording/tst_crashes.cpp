// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Every filing survives the program stopping at any of its file operations, and the computer
// losing its power there: the next start finishes it or leaves no trace of it, in every file
// alike, every earlier byte kept, and the words are either filed or back in the answer box. The
// same when the next start is itself stopped while it finishes the filing.
#include "core/text/Texts.h"
#include "support/AnsweringPrompter.h"
#include "support/Fakes.h"
#include "support/FaultyFileSystem.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <map>

namespace tolvanex {
namespace {

using testing::Button;
using testing::FaultyFileSystem;
using testing::SimulatedCrash;
using Files = std::map<std::string, std::string>;

const std::string kWords = "v = 6.0 m / 3.0 s, \xCE\x94v = 0";
// The draft lags behind: the last words were typed just before the click.
const std::string kDraft = kWords.substr(0, 10);
// Words another window, open on the same files, is typing meanwhile.
const std::string kOther = "T = 2 s";

// The background work, done at once, or held back until the test lets it run (a worker that has
// not come to it yet).
struct Background : tolvanex::Background {
    void post(std::function<void()> task) override
    {
        if (holding)
            waiting.push_back(std::move(task));
        else
            task();
    }
    void runWaiting()
    {
        holding = false;
        for (auto& task : std::exchange(waiting, {}))
            task();
    }
    bool holding = false;
    std::vector<std::function<void()>> waiting;
};

// One start of the program over the simulated files: every prompt answered by its text.
// The services are the tests' fakes, held here rather than in FakeServices, whose folder on disk
// would cost more than the whole sweep.
struct Session {
    explicit Session(FaultyFileSystem& files)
        : drill({ prompter, messages, clock, random, files, beeper, exit, background }, testing::threeAssignments())
    {
        prompter.onAsked = [this](const std::string& prompt) {
            if (prompt == texts::assignmentPrompt && atAssignment)
                atAssignment();
        };
    }
    // Runs a step of the program; true when the program was stopped in it.
    bool stopped(const std::function<void()>& step)
    {
        try {
            testing::ends(step);
            return false;
        } catch (const SimulatedCrash&) {
            return true;
        }
    }
    bool load()
    {
        return stopped([this] { boxes.show(drill.load()); });
    }
    bool click(Button button)
    {
        return stopped([this, button] { testing::clickOn(drill, boxes, button); });
    }

    std::function<void()> atAssignment;
    testing::AnsweringPrompter prompter;
    testing::RecordingMessages messages;
    testing::FixedClock clock;
    testing::CountingRandom random;
    testing::CountingBeeper beeper;
    testing::CountingExit exit;
    Background background;
    Drill drill;
    testing::Boxes boxes;
};

struct Kind {
    const char* name;
    bool earlierFiles; // a run before this one, with a note when the filing is a note
    int pages; // "Next Question / Answer" clicks before filing; -1: the heading block at start-up
    Button button;
    bool sendFails; // the send file's write fails, and the program is stopped while it undoes it
    bool otherWindow; // a second window, started after the first, types kOther and runs on
    // The words were typed by a window killed before this one started, at the block filed: they
    // come back when it is reached, and are filed before the background has kept them anew (and
    // let their old draft go), which it does after the filing.
    bool restored = false;
};

const Kind kKinds[] = {
    { "heading into new files", false, -1, Button::Quit, false, false },
    { "heading onto existing files", true, -1, Button::Quit, false, false },
    { "response after a question", true, 1, Button::EnterResponse, false, false },
    { "response after an answer", true, 2, Button::EnterResponse, false, false },
    { "note creating the notes file", false, 1, Button::SaveAsNotes, false, false },
    { "note onto the notes file", true, 1, Button::SaveAsNotes, false, false },
    { "response whose undo is cut short", true, 1, Button::EnterResponse, true, false },
    { "response beside a second window", true, 1, Button::EnterResponse, false, true },
    { "restored words filed before they were kept anew", true, 1, Button::EnterResponse, false, false, true },
    { "words restored at start filed before they were kept anew", true, 0, Button::SaveAsNotes, false, false, true },
};

// How the program stops: it alone, or the computer's power too, on a file system that keeps
// only what was synced, or one that also keeps the lengths of files written since (NUL bytes).
enum class Cut { Program, Power, ZeroTails };

const char* const kRecordFiles[] = { "masterFile_Ann_Lee.txt", "send_0107Ann_Lee.txt", "notes_Ann_Lee.txt" };

// The files before the filing, ready for it (the words typed and their draft saved).
struct Prepared {
    Files before;
    std::unique_ptr<Session> session;
    std::unique_ptr<Session> other;
};

Prepared prepare(FaultyFileSystem& files, const Kind& kind)
{
    if (kind.earlierFiles) {
        Session earlier(files);
        EXPECT_FALSE(earlier.load());
        if (kind.button == Button::SaveAsNotes) {
            earlier.boxes.answer = "an earlier note";
            EXPECT_FALSE(earlier.click(Button::SaveAsNotes));
        }
    }
    files.settle();
    Prepared prepared { files.files(), std::make_unique<Session>(files), nullptr };
    if (kind.restored) {
        Session killed(files);
        EXPECT_FALSE(killed.load());
        for (int page = 0; page < kind.pages; ++page)
            killed.click(Button::NextQuestion);
        killed.drill.answerTyped(kDraft);
    }
    if (kind.pages >= 0) {
        Session& s = *prepared.session;
        s.background.holding = kind.restored;
        EXPECT_FALSE(s.load());
        for (int page = 0; page < kind.pages; ++page)
            s.click(Button::NextQuestion);
        if (kind.restored) {
            EXPECT_EQ(s.boxes.answer, kDraft);
        }
        s.drill.answerTyped(kDraft);
        s.boxes.answer = kWords;
        if (kind.otherWindow) {
            prepared.other = std::make_unique<Session>(files);
            EXPECT_FALSE(prepared.other->load());
            prepared.other->drill.answerTyped(kOther);
        }
        files.settle();
        prepared.before = files.files();
    }
    return prepared;
}

// The filing: true when the program was stopped in it.
bool file(Session& s, const Kind& kind)
{
    if (kind.pages < 0)
        return s.load();
    return s.click(kind.button) || s.stopped([&s] { s.background.runWaiting(); });
}

struct Sweep {
    int cases = 0;
    Files reference; // what the filing adds to each record file
};

// One case: stopped at crashAt (the power lost too, or not), then perhaps stopped again at
// recoveryAt of the next start; then a start that goes through, whose files are checked as they
// stand when it asks for the assignment (the unfinished filing finished, nothing new written).
// False when the program was not stopped (crashAt or recoveryAt beyond its operations).
bool runCase(const Kind& kind, int failAt, int crashAt, Cut cut, int recoveryAt, bool recoveryPower, Sweep& sweep)
{
    FaultyFileSystem files;
    Prepared prepared = prepare(files, kind);
    files.arm({ .crashAt = crashAt, .failAt = failAt, .shortWrite = true });
    if (!file(*prepared.session, kind))
        return false;
    // The program is gone, and with it its locks; a power cut ends the other window too.
    const bool power = cut != Cut::Program;
    prepared.session.reset();
    if (power) {
        prepared.other.reset();
        files.powerCut(cut == Cut::ZeroTails);
    }
    if (recoveryAt > 0) {
        Session again(files);
        // Stopped before the next start asks for the assignment, or not at all.
        again.atAssignment = [&] { files.arm(); };
        files.arm({ .crashAt = recoveryAt });
        if (!again.load())
            return false;
        if (recoveryPower) {
            prepared.other.reset();
            files.powerCut(cut == Cut::ZeroTails);
        }
    }
    Session last(files);
    Files seen;
    last.atAssignment = [&] { seen = files.files(); };
    files.arm();
    EXPECT_FALSE(last.load());
    ++sweep.cases;
    const std::string where = std::string(kind.name) + ", stopped at " + std::to_string(crashAt)
        + (power ? " with the power" : "") + (cut == Cut::ZeroTails ? " leaving NUL bytes" : "")
        + (recoveryAt ? ", again at " + std::to_string(recoveryAt) : "");
    int whole = 0;
    int recordFiles = 0;
    for (const char* name : kRecordFiles) {
        const auto before = prepared.before.find(name);
        const std::string was = before == prepared.before.end() ? std::string() : before->second;
        const auto now = seen.find(name);
        if (now == seen.end() && before == prepared.before.end())
            continue;
        const std::string is = now == seen.end() ? std::string() : now->second;
        const std::string added = sweep.reference.contains(name) ? sweep.reference.at(name) : std::string();
        if (added.empty()) {
            EXPECT_EQ(is, was) << where << ": " << name;
            continue;
        }
        ++recordFiles;
        whole += is == was + added;
        EXPECT_TRUE(is == was || is == was + added) << where << ": " << name << " holds a torn record";
    }
    EXPECT_TRUE(whole == 0 || whole == recordFiles)
        << where << ": the record is in " << whole << " of " << recordFiles << " files";
    for (const auto& [name, bytes] : files.files())
        EXPECT_TRUE(name.find(".journal") == std::string::npos || bytes.empty()) << where << ": " << name << " is left";
    if (kind.pages >= 0) {
        const bool filed = whole > 0;
        // A second window that runs on keeps its draft to itself, untouched. One that the power
        // ended left its words, typed before the first question, to be taken up at the next start.
        const bool otherGone = kind.otherWindow && !prepared.other;
        const char* otherDraft = ".tolvanex_Ann_Lee.draft2";
        if (kind.otherWindow && !otherGone) {
            EXPECT_EQ(decodeDraft(files.files()[otherDraft]).words, kOther) << where;
            EXPECT_EQ(files.files()[otherDraft], prepared.before.at(otherDraft))
                << where << ": the second window's draft";
        }
        // Words typed before the first question and not filed come back at once.
        const std::string atStart = kind.pages == 0 && !filed ? kDraft : " ";
        EXPECT_EQ(last.boxes.answer, otherGone ? kOther : atStart) << where << ": the box at start";
        // Words not filed come back at the block they were typed at, and not before.
        for (int page = 0; page < kind.pages; ++page) {
            EXPECT_EQ(last.boxes.answer.find(kDraft), std::string::npos) << where << ": back before their block";
            EXPECT_FALSE(last.click(Button::NextQuestion));
        }
        if (!filed)
            EXPECT_EQ(last.boxes.answer, (otherGone ? kOther + "\r\n\r\n" : std::string()) + kDraft)
                << where << ": the words are lost";
        else
            EXPECT_EQ(last.boxes.answer.find(kDraft), std::string::npos) << where << ": the words are filed and back";
        // Whatever the box holds is in the window's draft, and nowhere else.
        int drafts = 0;
        for (const auto& [name, bytes] : files.files())
            drafts += name.find(".draft") != std::string::npos && !bytes.empty()
                && (!kind.otherWindow || otherGone || name != otherDraft);
        EXPECT_EQ(drafts, typingFocus(last.boxes.answer, std::string(texts::responsePrompt)) == Focus::TypeOn) << where;
    }
    return true;
}

TEST(Crashes, EveryFilingIsWholeOrAbsentAfterAStopOrAPowerCutAtEveryOperation)
{
    int total = 0;
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        Sweep sweep;
        // A run that is not stopped gives the record each file gets.
        FaultyFileSystem files;
        Prepared prepared = prepare(files, kind);
        files.arm();
        EXPECT_FALSE(file(*prepared.session, kind));
        for (const auto& [name, bytes] : files.files()) {
            const auto before = prepared.before.find(name);
            sweep.reference[name] = bytes.substr(before == prepared.before.end() ? 0 : before->second.size());
        }
        // The operation that writes the send file, to fail there.
        int failAt = 0;
        for (int at = 1; kind.sendFails && !failAt && at < 100; ++at) {
            FaultyFileSystem probe;
            Prepared p = prepare(probe, kind);
            probe.arm({ .failAt = at, .shortWrite = true });
            file(*p.session, kind);
            const std::vector<std::string>& shown = p.session->messages.shown;
            if (shown.size() == 1 && shown[0].find("send_0107Ann_Lee.txt") != std::string::npos
                && shown[0].find("No space left on device") != std::string::npos)
                failAt = at;
        }
        ASSERT_EQ(kind.sendFails, failAt > 0);
        for (int crashAt = failAt + 1;; ++crashAt) {
            bool any = false;
            for (Cut cut : { Cut::Program, Cut::Power, Cut::ZeroTails }) {
                if (!runCase(kind, failAt, crashAt, cut, 0, false, sweep))
                    continue;
                any = true;
                for (int recoveryAt = 1; runCase(kind, failAt, crashAt, cut, recoveryAt, false, sweep)
                     && runCase(kind, failAt, crashAt, cut, recoveryAt, true, sweep);
                     ++recoveryAt) { }
            }
            if (!any)
                break;
        }
        total += sweep.cases;
    }
    std::cout << "crash sweep: " << total << " cases\n";
}

// A draft that cannot be removed (the student emptied the box) is trouble the window shows until a
// save works again: the words on disk would come back. No message box takes the keys meanwhile.
TEST(Crashes, ADraftThatCannotBeRemovedIsTroubleUntilASaveWorks)
{
    FaultyFileSystem files;
    Session s(files);
    ASSERT_FALSE(s.load());
    ASSERT_FALSE(s.click(Button::NextQuestion));
    s.drill.answerTyped(kDraft);
    files.arm({ .failFirst = "remove" });
    s.drill.answerTyped("");
    const std::optional<Notice> notice = s.drill.draftNotice();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->line, texts::draftNotRemovedLine);
    EXPECT_EQ(notice->whole.rfind(std::string(texts::draftNotRemoved) + "\n\nFile: ", 0), 0u) << notice->whole;
    EXPECT_EQ(decodeDraft(files.files()[".tolvanex_Ann_Lee.draft1"]).words, kDraft);
    s.drill.answerTyped(kOther);
    EXPECT_EQ(s.drill.draftNotice(), std::nullopt);
    EXPECT_EQ(decodeDraft(files.files()[".tolvanex_Ann_Lee.draft1"]).words, kOther);
    EXPECT_EQ(s.messages.shown, std::vector<std::string> {});
}

} // namespace
} // namespace tolvanex
