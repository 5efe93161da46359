// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Scripted stand-ins for the program's services, and a drill harness over a temporary folder.

#include "core/drill/Drill.h"
#include "core/platform/RealServices.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvanex::testing {

// Replays replies in order; a prompt with no reply left gets Cancel and is noted as unexpected.
class ScriptedPrompter : public Prompter {
public:
    std::optional<std::string> ask(const std::string& prompt) override;
    void reply(std::string text) { replies.push_back(std::move(text)); }
    void cancel() { replies.push_back(std::nullopt); }

    std::deque<std::optional<std::string>> replies;
    std::vector<std::string> asked;
    int unexpected = 0;
};

class RecordingMessages : public MessageService {
public:
    void showMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

// A clock that stands still unless the test moves it; optionally one second passes per reading.
class FixedClock : public Clock {
public:
    LocalTime now() override;
    void set(int year, int month, int day, int hour, int minute, int second);

    LocalTime time { 2026, 1, 7, 14, 5, 9, 0 };
    bool secondPerReading = false;
    int readings = 0;
};

// The real generator, counting its draws; or, when values are given, those values in turn.
class CountingRandom : public RandomSource {
public:
    void seed(double value) override
    {
        seeds.push_back(value);
        real.seed(value);
    }
    float next() override;

    SplitMixRandom real;
    std::deque<float> scripted;
    std::vector<double> seeds;
    int draws = 0;
};

// The real file system, with drive c: standing for a temporary "home" folder on every system, so
// that each test keeps to a folder of its own (on Windows the program itself uses paths as typed).
class HomeDriveFileSystem : public LocalFileSystem {
public:
    explicit HomeDriveFileSystem(const std::filesystem::path& home);
    void createFolder(const std::string& path) override;
    std::unique_ptr<AppendFile> openForAppend(const std::string& path) override;
    std::string readAll(const std::string& path) override;
    std::optional<std::uintmax_t> fileLength(const std::string& path) override;
    void cutBack(const std::string& path, std::uintmax_t length) override;
    void removeFile(const std::string& path) override;
    void overwriteFile(const std::string& path, std::string_view bytes) override;
    void emptyFile(const std::string& path) override;
    void replaceFile(const std::string& path, std::string_view bytes) override;
    std::unique_ptr<FileLock> lock(const std::string& path) override;
    std::unique_ptr<FileLock> tryLock(const std::string& path) override;
    std::string systemPath(const std::string& path) override;

    // On Windows, cleared: paths go to the real drives as typed.
    bool driveCIsHome = true;

private:
    template <class Call> auto onDisk(const std::string& path, Call call);
    std::string m_home;
};

// The real file system below a temporary "home" folder that stands for drive c:, with faults
// that a test can switch on.
class TestFileSystem : public HomeDriveFileSystem {
public:
    using HomeDriveFileSystem::HomeDriveFileSystem;
    std::unique_ptr<AppendFile> openForAppend(const std::string& path) override;
    std::string readAll(const std::string& path) override;
    void removeFile(const std::string& path) override;
    std::unique_ptr<FileLock> tryLock(const std::string& path) override;

    // Called after a file is removed ("remove") or a lock taken without waiting ("lock"): what
    // another copy of the program does at that moment.
    std::function<void(const std::string& operation, const std::string& path)> meanwhile;
    // A path whose text contains this fails to open with the reason given.
    std::string failOpenContaining;
    std::string failReason = "Permission denied";
    FileTrouble failTrouble = FileTrouble::Other;
    // After this many more bytes, writes fail as on a full disk (negative: never).
    long writeBudget = -1;
    int commits = 0;
};

// Paths from and to UTF-8 texts, whatever code page the system's narrow paths use.
std::filesystem::path utf8Path(const std::string& text);
std::string utf8Of(const std::filesystem::path& path);

// Reads a file's bytes; empty when it does not exist.
std::string fileBytes(const std::filesystem::path& path);
bool fileExists(const std::filesystem::path& path);

// Background work done at once, on the thread that asks for it, so that a test sees it done.
class InlineBackground : public Background {
public:
    void post(std::function<void()> task) override { task(); }
};

// The program's end, counted.
class CountingExit : public ProgramExit {
public:
    void exitProgram() override { ++exits; }
    int exits = 0;
};

// Each beep noted: with a counting generator, by the number of values drawn when it sounded.
class CountingBeeper : public Beeper {
public:
    explicit CountingBeeper(const CountingRandom* random = nullptr)
        : m_random(random)
    {
    }
    void beep() override { drawsAtBeep.push_back(m_random ? m_random->draws : 0); }
    std::vector<int> drawsAtBeep;

private:
    const CountingRandom* m_random;
};

// Every service scripted or observed, with the files in a fresh temporary home folder that stands
// for drive c: (removed afterwards).
struct FakeServices {
    FakeServices();
    ~FakeServices();
    FakeServices(const FakeServices&) = delete;
    FakeServices& operator=(const FakeServices&) = delete;
    Services services() { return servicesWith(); }
    // The same, with some services a test brings itself instead.
    Services servicesWith(
        Prompter* otherPrompter = nullptr, MessageService* otherMessages = nullptr, FileSystem* otherFiles = nullptr)
    {
        return { otherPrompter ? *otherPrompter : prompter, otherMessages ? *otherMessages : messages, clock, random,
            otherFiles ? *otherFiles : files, beeper, exit, background };
    }
    // Answers the start-up prompts: the name, Enter at the folder question, the assignment.
    void replyAtStartUp(const std::string& name, const std::string& assignment);

    // The default folder on disk, and the run's files in it for the name given at start-up.
    std::filesystem::path folder() const { return home / "tolvanex"; }
    std::filesystem::path master() const;
    std::filesystem::path send() const;
    std::filesystem::path notes() const;

    std::filesystem::path home;
    ScriptedPrompter prompter;
    RecordingMessages messages;
    FixedClock clock;
    CountingRandom random;
    TestFileSystem files;
    CountingBeeper beeper { &random };
    CountingExit exit;
    InlineBackground background;
    // The name last given at start-up, as typed.
    std::string name;
};

// The two text boxes as the window keeps them: a click's outcome shown on them.
struct Boxes {
    void show(const Outcome& outcome);
    std::string question;
    std::string answer = " ";
    // The outcome shown last.
    Outcome last;
};

// The buttons of the window that reach the drill.
enum class Button {
    NextQuestion,
    EnterResponse,
    SaveAsNotes,
    DisplayNotes,
    DisplaySendFile,
    ClearBox,
    NextPicture,
    Quit
};

// Clicks a button as the window does: what the boxes hold goes in, the outcome is shown on them.
// True when the click ended the program (the boxes then stay as they were).
bool clickOn(Drill& drill, Boxes& boxes, Button button);
// Runs a handler; true when it ended the program.
bool ends(const std::function<void()>& handler);

// A drill over scripted services and boxes, clicked as the window clicks it.
class DrillHarness : public FakeServices {
public:
    // A drill over the given course (the real one unless a test brings a small one).
    explicit DrillHarness(const BankContent& content = builtInContent());

    // Answers the start-up prompts (name, folder question, assignment number) and loads.
    // Returns false when the program ended during start-up.
    bool start(const std::string& name, const std::string& assignment);
    // Loads with the replies already scripted; false when the program ended during start-up.
    bool load();
    bool click(Button button) { return clickOn(drill, boxes, button); }
    bool ends(const std::function<void()>& handler) { return testing::ends(handler); }

    Drill drill;
    Boxes boxes;
};

// Start-up alone, over scripted services: the dialogue, the bank filled and the heading block.
class StartUpHarness : public FakeServices {
public:
    explicit StartUpHarness(const BankContent& content = builtInContent())
        : m_content(content)
    {
    }
    // Answers the start-up prompts and loads; false when the program ended during start-up.
    bool start(const std::string& name, const std::string& assignment);
    // Loads with the replies already scripted.
    bool load();

    QuestionBank bank;
    RunSetup setup;

private:
    const BankContent& m_content;
};

} // namespace tolvanex::testing
