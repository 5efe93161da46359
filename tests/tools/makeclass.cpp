// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// makeclass: a class's files for trying tolvanex-report on, written by the program's own drill and
// record writer (into memory, then to a folder): each student works one assignment a day, responds
// to some blocks with ratings and words (now and then on several lines, with characters the code
// page lacks, or with lines that look like the record's own), and saves a note now and then.
//
// Writes masterFile_<name>.txt, notes_<name>.txt and a send_<MMDD><name>.txt per day worked; the
// options are in kUsage below.
#include "support/Fakes.h"
#include "support/FaultyFileSystem.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
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

const char* const kUsage
    = "usage: makeclass FOLDER [options]\n"
      "Writes a class's files into FOLDER (made when missing), as the program writes them.\n"
      "  --students N     students (300)\n"
      "  --days D         days of the term (90)\n"
      "  --assignments A  the last assignment worked on (18)\n"
      "  --respond P      the share of blocks responded to (0.15: about 100 MB for the default class)\n"
      "  --seed S         the random seed (1)\n"
      "  --name NAME      a student's name (again for more); the others are Student 001 and on\n"
      "  --say TEXT       each student's first responses, in order (again for more)\n"
      "  -h, --help       this help\n";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "makeclass: %s\n%s", message.c_str(), kUsage);
    return 2;
}

// A whole number, or nothing.
std::optional<long> number(const std::string& text)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 0)
        return std::nullopt;
    return value;
}

} // namespace

int main(int argc, char** argv)
{
    std::filesystem::path out;
    int students = 300;
    int days = 90;
    int assignments = 18;
    double respond = 0.15;
    int seed = 1;
    std::vector<std::string> names;
    std::vector<std::string> sayings;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "-h" || option == "--help") {
            std::printf("%s", kUsage);
            return 0;
        }
        if (option.empty() || option[0] != '-') {
            if (!out.empty())
                return usageError("one folder only: " + option);
            out = option;
            continue;
        }
        if (i + 1 >= argc)
            return usageError(option + " needs a value");
        const std::string value = argv[++i];
        const std::optional<long> whole = number(value);
        if (option == "--name") {
            names.push_back(value);
        } else if (option == "--say") {
            sayings.push_back(value);
        } else if (option == "--respond") {
            char* end = nullptr;
            respond = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || respond < 0 || respond > 1)
                return usageError("--respond needs a share from 0 to 1, not " + value);
        } else if (option != "--students" && option != "--days" && option != "--assignments" && option != "--seed") {
            return usageError("unknown option " + option);
        } else if (!whole || *whole > 1000000) {
            return usageError(option + " needs a whole number, not " + value);
        } else {
            (option == "--students"             ? students
                    : option == "--days"        ? days
                    : option == "--assignments" ? assignments
                                                : seed)
                = static_cast<int>(*whole);
        }
    }
    if (out.empty())
        return usageError("no folder to write the class into");
    for (int s = static_cast<int>(names.size()); s < students; ++s) {
        char name[32];
        std::snprintf(name, sizeof name, "Student %03d", s + 1);
        names.push_back(name);
    }
    names.resize(static_cast<std::size_t>(students));
    std::filesystem::create_directories(out);
    std::mt19937 random(static_cast<unsigned>(seed));
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    constexpr int kMonthDays[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    std::uintmax_t bytes = 0;

    FakeServices fake;
    for (const std::string& name : names) {
        // Files in memory, nothing put on a disk until the end.
        FaultyFileSystem files;
        int notes = 0;
        std::size_t said = 0;
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
                    boxes.answer = said < sayings.size() ? sayings[said++] : words(random);
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
