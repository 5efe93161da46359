// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// makeclass: a class's files for trying tolvanex-report on, written by the program's own drill and
// record writer (into memory, then to a folder): each student works one assignment a day, responds
// to some blocks with ratings and words (now and then on several lines, with characters the code
// page lacks, or with lines that look like the record's own), and saves a note now and then.
//
//   makeclass FOLDER [--students N] [--days D] [--assignments A] [--respond P] [--seed S] [--name NAME]...
//
// Writes masterFile_<name>.txt, notes_<name>.txt and a send_<MMDD><name>.txt per day worked.
#include "support/Fakes.h"
#include "support/FaultyFileSystem.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace tolvanex;
using namespace tolvanex::testing;

namespace {

const char* const kPhrases[] = { "The velocity is 3.2 m/s.", "I used v = `dx / `dt.", "Not sure about the units.",
    "a = 2 m/s^2, so the distance is 16 m.", "OK", "I forgot to square the time.", "The period is 1.57 s.",
    "Force = mass * acceleration, 12 N.", "I think this is right, but I am not certain.",
    "I misread the question at first.", "The graph's slope gives the rate.", "Is <b>this</b> & that right?", "" };

std::string words(std::mt19937& random)
{
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kPhrases) - 1);
    std::uniform_int_distribution<int> percent(0, 99);
    std::string text = kPhrases[pick(random)];
    const int odd = percent(random);
    if (odd < 12)
        text += std::string("\r\n") + kPhrases[pick(random)] + "\r\n" + kPhrases[pick(random)];
    else if (odd < 17)
        text += " \xCE\x94v = 4 m/s, \xCE\xB8 = 30\xC2\xB0 \xE2\x89\x88 0.52 rad";
    else if (odd < 19)
        text += "\r\n.................................................\r\nRESPONSE -->  \r\nconfidence assessment:  3";
    return text;
}

std::string rating(std::mt19937& random)
{
    const char* const replies[] = { "0", "1", "2", "2", "3", "3", "3", "2.5", "", "sure" };
    return replies[std::uniform_int_distribution<std::size_t>(0, std::size(replies) - 1)(random)];
}

int number(const char* text)
{
    return std::atoi(text);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr,
            "usage: makeclass FOLDER [--students N] [--days D] [--assignments A] [--respond P] "
            "[--seed S] [--name NAME]...\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    int students = 300;
    int days = 90;
    int assignments = 18;
    double respond = 0.25;
    unsigned seed = 1;
    std::vector<std::string> names;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--students")
            students = number(argv[i + 1]);
        else if (option == "--days")
            days = number(argv[i + 1]);
        else if (option == "--assignments")
            assignments = number(argv[i + 1]);
        else if (option == "--respond")
            respond = std::atof(argv[i + 1]);
        else if (option == "--seed")
            seed = static_cast<unsigned>(number(argv[i + 1]));
        else if (option == "--name")
            names.push_back(argv[i + 1]);
    }
    for (int s = static_cast<int>(names.size()); s < students; ++s) {
        char name[32];
        std::snprintf(name, sizeof name, "Student %03d", s + 1);
        names.push_back(name);
    }
    names.resize(static_cast<std::size_t>(students));
    std::filesystem::create_directories(out);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    constexpr int kMonthDays[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    std::uintmax_t bytes = 0;

    FakeServices fake;
    for (const std::string& name : names) {
        // Files in memory, nothing put on a disk until the end.
        FaultyFileSystem files;
        int notes = 0;
        int month = 1;
        int dayOfMonth = 5;
        for (int d = 0; d < days; ++d) {
            if (++dayOfMonth > kMonthDays[month - 1]) {
                dayOfMonth = 1;
                month = month % 12 + 1;
            }
            // Some days a student does not work.
            if (chance(random) < 0.15)
                continue;
            // Assignments 2 to A in turn over the term (assignment 1 is not given this term).
            const int assignment = 2 + d * std::max(1, assignments - 1) / std::max(1, days);
            Drill drill(fake.servicesWith(nullptr, nullptr, &files));
            Boxes boxes;
            fake.prompter.replies.clear();
            fake.clock.set(2026, month, dayOfMonth, 9 + static_cast<int>(chance(random) * 10), 0, 0);
            fake.replyAtStartUp(name, std::to_string(assignment));
            if (ends([&] { boxes.show(drill.load()); }))
                continue;
            for (int block = 0; block < 400; ++block) {
                if (clickOn(drill, boxes, Button::NextQuestion))
                    break;
                fake.clock.time.minute += 1;
                if (fake.clock.time.minute >= 60) {
                    fake.clock.time.minute = 0;
                    fake.clock.time.hour = std::min(23, fake.clock.time.hour + 1);
                }
                const double roll = chance(random);
                if (roll < respond) {
                    boxes.answer = words(random);
                    fake.prompter.replies.clear();
                    fake.prompter.reply(rating(random));
                    clickOn(drill, boxes, Button::EnterResponse);
                } else if (roll < respond * 1.1) {
                    // Each student's first note reads like markup: the report must show it as text.
                    boxes.answer = notes++ == 0 ? "Is <b>this</b> & that right?" : words(random);
                    clickOn(drill, boxes, Button::SaveAsNotes);
                }
            }
        }
        for (const auto& [base, data] : files.files()) {
            if (base.rfind(".tolvanex_", 0) == 0)
                continue;
            std::ofstream file(out / utf8Path(base), std::ios::binary | std::ios::trunc);
            file << data;
            bytes += data.size();
        }
    }
    std::printf("%d students, %ju bytes\n", students, bytes);
    return 0;
}
