// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Fakes.h"

#include <fstream>
#include <random>
#include <sstream>

namespace tolvanex::testing {

std::optional<std::string> ScriptedPrompter::ask(const std::string& prompt)
{
    asked.push_back(prompt);
    if (replies.empty()) {
        ++unexpected;
        return std::nullopt;
    }
    auto reply = replies.front();
    replies.pop_front();
    return reply;
}

LocalTime FixedClock::now()
{
    ++readings;
    const LocalTime reading = time;
    if (secondPerReading) {
        if (++time.second == 60) {
            time.second = 0;
            if (++time.minute == 60) {
                time.minute = 0;
                ++time.hour;
            }
        }
    }
    return reading;
}

void FixedClock::set(int year, int month, int day, int hour, int minute, int second)
{
    time = LocalTime { year, month, day, hour, minute, second, 0 };
}

float CountingRandom::next()
{
    ++draws;
    if (!scripted.empty()) {
        const float value = scripted.front();
        scripted.pop_front();
        return value;
    }
    return real.next();
}

namespace {

class BudgetedFile : public AppendFile {
public:
    BudgetedFile(std::unique_ptr<AppendFile> inner, TestFileSystem& owner, std::string path)
        : m_inner(std::move(inner))
        , m_owner(owner)
        , m_path(std::move(path))
    {
    }
    void write(std::string_view bytes) override
    {
        if (m_owner.writeBudget >= 0 && static_cast<long>(bytes.size()) > m_owner.writeBudget) {
            const auto allowed = static_cast<std::size_t>(m_owner.writeBudget);
            m_inner->write(bytes.substr(0, allowed));
            m_owner.writeBudget = 0;
            throw FileError(m_path, "No space left on device");
        }
        if (m_owner.writeBudget >= 0)
            m_owner.writeBudget -= static_cast<long>(bytes.size());
        m_inner->write(bytes);
    }
    void commit() override
    {
        ++m_owner.commits;
        m_inner->commit();
    }

private:
    std::unique_ptr<AppendFile> m_inner;
    TestFileSystem& m_owner;
    std::string m_path;
};

} // namespace

HomeDriveFileSystem::HomeDriveFileSystem(const std::filesystem::path& home)
    : LocalFileSystem(home.string())
{
    const std::u8string utf8 = home.u8string();
    m_home.assign(utf8.begin(), utf8.end());
}

template <class Call> auto HomeDriveFileSystem::onDisk(const std::string& path, Call call)
{
#ifdef _WIN32
    if (driveCIsHome && path.size() >= 2 && (path[0] == 'c' || path[0] == 'C') && path[1] == ':') {
        try {
            return call(m_home + path.substr(2));
        } catch (const FileError& error) {
            throw FileError(path, error.reason());
        }
    }
#endif
    return call(path);
}

void HomeDriveFileSystem::createFolder(const std::string& path)
{
    onDisk(path, [this](const std::string& p) { LocalFileSystem::createFolder(p); });
}

std::unique_ptr<AppendFile> HomeDriveFileSystem::openForAppend(const std::string& path)
{
    return onDisk(path, [this](const std::string& p) { return LocalFileSystem::openForAppend(p); });
}

std::string HomeDriveFileSystem::readAll(const std::string& path)
{
    return onDisk(path, [this](const std::string& p) { return LocalFileSystem::readAll(p); });
}

std::optional<std::uintmax_t> HomeDriveFileSystem::fileLength(const std::string& path)
{
    return onDisk(path, [this](const std::string& p) { return LocalFileSystem::fileLength(p); });
}

void HomeDriveFileSystem::cutBack(const std::string& path, std::uintmax_t length)
{
    onDisk(path, [this, length](const std::string& p) { LocalFileSystem::cutBack(p, length); });
}

void HomeDriveFileSystem::removeFile(const std::string& path)
{
    onDisk(path, [this](const std::string& p) { LocalFileSystem::removeFile(p); });
}

void HomeDriveFileSystem::replaceFile(const std::string& path, std::string_view bytes)
{
    onDisk(path, [this, bytes](const std::string& p) { LocalFileSystem::replaceFile(p, bytes); });
}

void HomeDriveFileSystem::overwriteFile(const std::string& path, std::string_view bytes)
{
    onDisk(path, [this, bytes](const std::string& p) { LocalFileSystem::overwriteFile(p, bytes); });
}

void HomeDriveFileSystem::emptyFile(const std::string& path)
{
    onDisk(path, [this](const std::string& p) { LocalFileSystem::emptyFile(p); });
}

std::unique_ptr<FileLock> HomeDriveFileSystem::lock(const std::string& path)
{
    return onDisk(path, [this](const std::string& p) { return LocalFileSystem::lock(p); });
}

std::unique_ptr<FileLock> HomeDriveFileSystem::tryLock(const std::string& path)
{
    return onDisk(path, [this](const std::string& p) { return LocalFileSystem::tryLock(p); });
}

std::string HomeDriveFileSystem::systemPath(const std::string& path)
{
    return onDisk(path, [this](const std::string& p) { return LocalFileSystem::systemPath(p); });
}

std::unique_ptr<AppendFile> TestFileSystem::openForAppend(const std::string& path)
{
    if (!failOpenContaining.empty() && path.find(failOpenContaining) != std::string::npos)
        throw FileError(path, failReason, {}, failTrouble);
    return std::make_unique<BudgetedFile>(HomeDriveFileSystem::openForAppend(path), *this, path);
}

std::string TestFileSystem::readAll(const std::string& path)
{
    if (!failOpenContaining.empty() && path.find(failOpenContaining) != std::string::npos)
        throw FileError(path, failReason);
    return HomeDriveFileSystem::readAll(path);
}

void TestFileSystem::removeFile(const std::string& path)
{
    HomeDriveFileSystem::removeFile(path);
    if (meanwhile)
        meanwhile("remove", path);
}

std::unique_ptr<FileLock> TestFileSystem::tryLock(const std::string& path)
{
    auto held = HomeDriveFileSystem::tryLock(path);
    if (meanwhile)
        meanwhile("lock", path);
    return held;
}

std::filesystem::path utf8Path(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string utf8Of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool fileExists(const std::filesystem::path& path)
{
    return std::filesystem::exists(path);
}

namespace {

std::filesystem::path freshHome()
{
    std::random_device device;
    const auto path = std::filesystem::temp_directory_path()
        / ("tolvanex-test-" + std::to_string(device()) + "-" + std::to_string(device()));
    std::filesystem::create_directories(path);
    return path;
}

} // namespace

FakeServices::FakeServices()
    : home(freshHome())
    , files(home)
{
}

FakeServices::~FakeServices()
{
    std::error_code ignored;
    std::filesystem::permissions(folder(), std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(home, ignored);
}

void FakeServices::replyAtStartUp(const std::string& typed, const std::string& assignment)
{
    name = typed;
    prompter.reply(typed);
    prompter.reply("");
    prompter.reply(assignment);
}

std::filesystem::path FakeServices::master() const
{
    return folder() / utf8Path("masterFile_" + namePartOf(name) + ".txt");
}

std::filesystem::path FakeServices::send() const
{
    const std::string date = dateText(clock.time);
    return folder() / utf8Path("send_" + date.substr(0, 2) + date.substr(3, 2) + namePartOf(name) + ".txt");
}

std::filesystem::path FakeServices::notes() const
{
    return folder() / utf8Path("notes_" + namePartOf(name) + ".txt");
}

void Boxes::show(const Outcome& outcome)
{
    if (outcome.clearQuestion)
        question.clear();
    question += outcome.addToQuestion;
    if (outcome.answer)
        answer = *outcome.answer;
    last = outcome;
}

DrillHarness::DrillHarness(const BankContent& content)
    : drill(services(), content)
{
}

bool DrillHarness::start(const std::string& typed, const std::string& assignment)
{
    replyAtStartUp(typed, assignment);
    return load();
}

bool DrillHarness::load()
{
    return !ends([this] { boxes.show(drill.load()); });
}

bool StartUpHarness::start(const std::string& typed, const std::string& assignment)
{
    replyAtStartUp(typed, assignment);
    return load();
}

bool StartUpHarness::load()
{
    return !ends([this] { setup = StartUp(services(), m_content).load(bank); });
}

bool clickOn(Drill& drill, Boxes& boxes, Button button)
{
    return ends([&] {
        switch (button) {
        case Button::NextQuestion:
            return boxes.show(drill.nextQuestion(boxes.question, boxes.answer));
        case Button::EnterResponse:
            return boxes.show(drill.enterResponse(boxes.answer));
        case Button::SaveAsNotes:
            return boxes.show(drill.saveAsNotes(boxes.answer));
        case Button::DisplayNotes:
            return boxes.show(drill.displayNotes());
        case Button::DisplaySendFile:
            return boxes.show(drill.displaySendFile());
        case Button::ClearBox:
            return boxes.show(drill.clearBox());
        case Button::NextPicture:
            return boxes.show(drill.nextPicture());
        case Button::Quit:
            drill.quit();
        }
    });
}

bool ends(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const ProgramEnded&) {
        return true;
    }
    return false;
}

} // namespace tolvanex::testing
