// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Every filing lands whole in every file, or leaves every file as it was: each writing handler is
// run with its 1st, 2nd, ... file operation failing until a run has no operation left to fail.
#include "support/Fakes.h"
#include "support/FaultyFileSystem.h"
#include "support/SmallBank.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <map>

namespace tolvanex {
namespace {

using testing::fileBytes;
using Files = std::map<std::string, std::optional<std::string>>;

const char* const kFileNames[] = { "masterFile_Ann_Lee.txt", "send_0107Ann_Lee.txt", "notes_Ann_Lee.txt" };
const std::string kWords = "v = 6.0 m / 3.0 s";

// Answers each prompt by its text. A second chance at start-up runs the test's check and then
// tries the same folder again (Enter); a second one is cancelled.
class AnsweringPrompter : public Prompter {
public:
    std::optional<std::string> ask(const std::string& prompt) override
    {
        for (const auto& [start, reply] : { std::pair("Your full name:", "Ann Lee"), std::pair("Enter 1 if", ""),
                 std::pair("Assignment Number:", "2"), std::pair("Assess", "2"), std::pair("Rate", "3") }) {
            if (prompt.rfind(start, 0) == 0)
                return reply;
        }
        if (secondChances++ > 0)
            return std::nullopt;
        onSecondChance();
        return "";
    }
    std::function<void()> onSecondChance = [] {};
    int secondChances = 0;
};

// A drill over the small course whose files go through the faulty file system.
struct FaultyRun {
    explicit FaultyRun(bool earlierRecords)
    {
        std::filesystem::create_directory(h.folder());
        for (int file = 0; earlierRecords && file < 2; ++file)
            std::ofstream(h.folder() / kFileNames[file], std::ios::binary) << "earlier\r\n";
    }
    Files files() const
    {
        Files held;
        for (const char* name : kFileNames) {
            const auto path = h.folder() / name;
            held[name] = std::filesystem::exists(path) ? std::optional(fileBytes(path)) : std::nullopt;
        }
        return held;
    }
    bool click(void (Drill::*handler)())
    {
        return h.ends([&] { (drill.*handler)(); });
    }

    testing::DrillHarness h;
    AnsweringPrompter prompter;
    testing::FaultyFileSystem faulty { h.files };
    Drill drill { Services { prompter, h.messages, h.clock, h.random, faulty }, h.view, testing::threeAssignments() };
};

struct Handler {
    bool earlierRecords;
    int pages; // "Next Question / Answer" clicks before filing; -1: the heading block at start-up
    void (Drill::*click)();
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
    const auto checkFailure = [&] {
        const Files now = run.files();
        ASSERT_EQ(run.h.messages.shown.size(), 1u);
        const std::string& message = run.h.messages.shown[0];
        for (const char* name : kFileNames) {
            if (now.at(name) != before.at(name)) {
                EXPECT_TRUE(undoFails && message.find(name) != std::string::npos) << name << ":\n" << message;
            }
        }
        const char* told
            = now == before ? "could not be saved. Nothing of it is in your files" : "may end in an unfinished";
        EXPECT_NE(message.find(told), std::string::npos) << message;
        before = now;
    };
    if (handler.pages < 0) {
        run.prompter.onSecondChance = checkFailure;
        run.faulty.arm(failAt, shortWrite, undoFails);
        EXPECT_FALSE(run.h.ends([&] { run.drill.load(); }));
        EXPECT_EQ(run.prompter.secondChances, run.faulty.failed.empty() ? 0 : 1);
    } else {
        EXPECT_FALSE(run.h.ends([&] { run.drill.load(); }));
        for (int page = 0; page < handler.pages; ++page)
            run.drill.cmdNextQuestionClick();
        run.h.view.answer = kWords;
        before = run.files();
        run.faulty.arm(failAt, shortWrite, undoFails);
        EXPECT_FALSE(run.click(handler.click));
        if (!run.faulty.failed.empty()) {
            checkFailure();
            EXPECT_EQ(run.h.view.answer, kWords);
            EXPECT_FALSE(run.click(handler.click));
        }
        EXPECT_EQ(run.h.messages.shown.size(), run.faulty.failed.empty() ? 0u : 1u);
        EXPECT_EQ(run.h.view.answer, "");
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
    const Handler handlers[]
        = { { false, -1, nullptr }, { true, -1, nullptr }, { false, 1, &Drill::enterResponseClick },
              { false, 2, &Drill::enterResponseClick }, { false, 1, &Drill::saveAsNotesClick } };
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

TEST(Durability, WordsKeptAfterAFailureSurvivePagingOnUntilFiledOrCleared)
{
    FaultyRun run(false);
    ASSERT_FALSE(run.h.ends([&] { run.drill.load(); }));
    const std::string& answer = run.h.view.answer;
    const auto failToFile = [&] {
        run.h.view.answer = kWords;
        run.faulty.arm(2); // the master file does not open
        EXPECT_FALSE(run.click(&Drill::enterResponseClick));
        EXPECT_EQ(run.faulty.failed, "open");
    };
    run.drill.cmdNextQuestionClick();
    failToFile();
    run.click(&Drill::clearBoxClick); // the student lets the words go: paging on is as ever
    run.drill.cmdNextQuestionClick();
    EXPECT_EQ(answer, run.drill.state().responsePrompt);
    failToFile();
    for (int page = 0; page < 2; ++page) {
        run.drill.cmdNextQuestionClick();
        EXPECT_EQ(answer, kWords);
    }
    run.faulty.arm(0);
    EXPECT_FALSE(run.click(&Drill::saveAsNotesClick));
    EXPECT_EQ(answer, "");
    EXPECT_NE(fileBytes(run.h.folder() / kFileNames[2]).find("NOTES -------> " + kWords), std::string::npos);
    EXPECT_FALSE(run.drill.state().wordsKept);
}

} // namespace
} // namespace tolvanex
