// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Every filing lands whole in every file, or leaves every file as it was: each writing handler is
// run with its 1st, 2nd, ... file operation failing until a run has no operation left to fail.
#include "core/text/Texts.h"
#include "support/AnsweringPrompter.h"
#include "support/Fakes.h"
#include "support/FaultyFileSystem.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>

namespace tolvanex {
namespace {

using testing::Button;
using Files = std::map<std::string, std::optional<std::string>>;

const char* const kFileNames[] = { "masterFile_Ann_Lee.txt", "send_0107Ann_Lee.txt", "notes_Ann_Lee.txt" };
const std::string kWords = "v = 6.0 m / 3.0 s";

// A drill over the small course whose files are those of the faulty file system. A second chance
// at start-up runs the test's check and then tries the same folder again (Enter); a second one is
// cancelled.
struct FaultyRun {
    explicit FaultyRun(bool earlierRecords)
    {
        prompter.otherwise = [this]() -> std::optional<std::string> {
            if (secondChances++ > 0)
                return std::nullopt;
            onSecondChance();
            return "";
        };
        faulty.createFolder("c:\\tolvanex");
        for (int file = 0; earlierRecords && file < 2; ++file)
            faulty.overwriteFile(path(kFileNames[file]), "earlier\r\n");
    }
    static std::string path(const char* name) { return std::string("c:\\tolvanex\\") + name; }
    Files files() const
    {
        Files held;
        for (const char* name : kFileNames)
            held[name] = faulty.bytes(path(name));
        return held;
    }
    bool click(Button button) { return testing::clickOn(drill, boxes, button); }
    bool load()
    {
        return !testing::ends([&] { boxes.show(drill.load()); });
    }

    testing::FakeServices h;
    testing::AnsweringPrompter prompter;
    std::function<void()> onSecondChance = [] {};
    int secondChances = 0;
    testing::FaultyFileSystem faulty;
    Drill drill { h.servicesWith(&prompter, nullptr, &faulty), testing::threeAssignments() };
    testing::Boxes boxes;
};

struct Handler {
    bool earlierRecords;
    int pages; // "Next Question / Answer" clicks before filing; -1: the heading block at start-up
    Button click;
};

struct Outcome {
    std::string failed; // the operation made to fail; empty when none was left
    int undos = 0;
    Files added; // by the filing that went through, a heading's filler line (drawn anew) marked
};

// One case: the handler with its failAt-th file operation failing, checked after the failure;
// then the filing again, with nothing failing.
Outcome runCase(const Handler& handler, int failAt, bool shortWrite, bool undoFails)
{
    FaultyRun run(handler.earlierRecords);
    Files before = run.files();
    // One message, and what it says of the files is so: nothing in them, or what each holds.
    const auto checkFailure = [&] {
        const Files now = run.files();
        ASSERT_EQ(run.h.messages.shown.size(), 1u);
        const std::string& message = run.h.messages.shown[0];
        if (message.find(" could not be saved whole") == std::string::npos) {
            EXPECT_EQ(now, before) << message << "\nfailed: " << run.faulty.failed << " at " << run.faulty.operations;
            EXPECT_NE(message.find("could not be saved. Nothing of it is in your files"), std::string::npos) << message;
            return;
        }
        EXPECT_TRUE(undoFails) << message;
        for (const char* name : kFileNames) {
            const std::string was = before.at(name).value_or(""), is = now.at(name).value_or("");
            const char* holds = is == was ? " holds none of it." : " holds ";
            if (now.at(name) != before.at(name) || message.find(name) != std::string::npos) {
                EXPECT_NE(message.find(std::string(name) + holds), std::string::npos) << name << ":\n" << message;
            }
        }
    };
    if (handler.pages < 0) {
        run.onSecondChance = checkFailure;
        run.faulty.arm({ .failAt = failAt, .shortWrite = shortWrite, .undoFails = undoFails });
        EXPECT_TRUE(run.load());
        // A failure while looking for an unfinished filing at start-up is passed over.
        EXPECT_LE(run.secondChances, 1);
    } else {
        EXPECT_TRUE(run.load());
        for (int page = 0; page < handler.pages; ++page)
            run.click(Button::NextQuestion);
        run.boxes.answer = kWords;
        before = run.files();
        run.faulty.arm({ .failAt = failAt, .shortWrite = shortWrite, .undoFails = undoFails });
        EXPECT_FALSE(run.click(handler.click));
        // A failure after the record was whole everywhere (tidying up) is no failure of the filing.
        const bool failed = run.boxes.last.filed == Filed::Kept;
        EXPECT_EQ(run.h.messages.shown.size(), failed ? 1u : 0u);
        const bool whole = failed && run.h.messages.shown[0].find(" could not be saved whole") == std::string::npos;
        if (failed) {
            checkFailure();
            EXPECT_EQ(run.boxes.answer, kWords);
            EXPECT_FALSE(run.click(handler.click));
        }
        // The retry that completes a record told "not whole" says that it is whole now.
        EXPECT_EQ(run.h.messages.shown.size(), !failed ? 0u : whole ? 1u : 2u);
        if (failed && !whole && run.h.messages.shown.size() == 2) {
            const std::string record(handler.click == Button::SaveAsNotes ? texts::noteRecord : texts::responseRecord);
            EXPECT_EQ(run.h.messages.shown[1].rfind(record + " is now whole in every file: ", 0), 0u)
                << run.h.messages.shown[1];
            EXPECT_TRUE(run.boxes.last.completed);
        }
        EXPECT_EQ(run.boxes.answer, "");
    }
    Outcome outcome { run.faulty.failed, run.faulty.undos, {} };
    for (const auto& [name, bytes] : run.files()) {
        std::string tail = bytes.value_or("").substr(before.at(name).value_or("").size());
        if (tail.find("assignment #") != std::string::npos)
            tail = "<filler>" + tail.substr(tail.find("\r\n"));
        outcome.added[name] = tail;
    }
    return outcome;
}

TEST(Durability, EveryFilingIsWholeOrUndoneAtEveryFailure)
{
    const Handler handlers[] = { { false, -1, Button::Quit }, { true, -1, Button::Quit },
        { false, 1, Button::EnterResponse }, { false, 2, Button::EnterResponse }, { false, 1, Button::SaveAsNotes } };
    int cases = 0;
    for (const Handler& handler : handlers) {
        const Files reference = runCase(handler, 0, false, false).added;
        for (int failAt = 1;; ++failAt) {
            const Outcome plain = runCase(handler, failAt, false, false);
            EXPECT_EQ(plain.added, reference) << "failing operation " << failAt;
            ++cases;
            if (plain.failed.empty())
                break;
            // The same failure as a short write, and with the undo failing too.
            for (const auto& [shortWrite, undoFails] :
                { std::pair(plain.failed == "write", false), std::pair(false, plain.undos > 0) }) {
                if (shortWrite || undoFails) {
                    EXPECT_EQ(runCase(handler, failAt, shortWrite, undoFails).added, reference) << failAt;
                    ++cases;
                }
            }
        }
    }
    std::cout << "durability sweep: " << cases << " cases\n";
}

TEST(Durability, EveryFileOfAFilingHasItsBytesBeforeAnyIsSynced)
{
    // The heading block into two new files and a note into two existing ones and a new one: after
    // the journal is synced (and closed), each record file is opened and written, and only then is
    // each synced and closed, its folder synced when the filing made it.
    FaultyRun run(false);
    const auto traced = [&run] {
        std::string joined;
        for (const std::string& operation : run.faulty.trace)
            joined += operation + ", ";
        return joined;
    };
    run.faulty.arm();
    ASSERT_TRUE(run.load());
    EXPECT_NE(traced().find("sync, close, folder sync, open, write, open, write, sync, close, folder sync, sync, "
                            "close, folder sync, empty"),
        std::string::npos)
        << traced();
    run.click(Button::NextQuestion);
    run.boxes.answer = kWords;
    run.faulty.arm();
    EXPECT_FALSE(run.click(Button::SaveAsNotes));
    EXPECT_NE(traced().find("sync, close, open, write, open, write, open, write, sync, close, sync, close, sync, "
                            "close, folder sync, "),
        std::string::npos)
        << traced();
}

TEST(Durability, WordsKeptAfterAFailureSurvivePagingOnUntilFiledOrCleared)
{
    FaultyRun run(false);
    ASSERT_TRUE(run.load());
    const std::string& answer = run.boxes.answer;
    const auto failToFile = [&] {
        run.boxes.answer = kWords;
        run.faulty.arm({ .failFirst = "open" }); // the master file does not open
        EXPECT_FALSE(run.click(Button::EnterResponse));
        EXPECT_EQ(run.faulty.failed, "open");
    };
    run.click(Button::NextQuestion);
    failToFile();
    run.click(Button::ClearBox); // the student lets the words go: paging on is as ever
    run.click(Button::NextQuestion);
    EXPECT_EQ(answer, texts::responsePrompt);
    failToFile();
    for (int page = 0; page < 2; ++page) {
        run.click(Button::NextQuestion);
        EXPECT_EQ(answer, kWords);
    }
    run.faulty.arm();
    EXPECT_FALSE(run.click(Button::SaveAsNotes));
    EXPECT_EQ(answer, "");
    EXPECT_NE(run.faulty.bytes(FaultyRun::path(kFileNames[2]))->find("NOTES -------> " + kWords), std::string::npos);
}

} // namespace
} // namespace tolvanex
