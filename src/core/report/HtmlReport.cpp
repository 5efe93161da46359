// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/report/HtmlReport.h"

#include "core/report/Charts.h"
#include "core/report/ClassReport.h"
#include "core/report/PageStyle.h"
#include "core/report/Roster.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <set>
#include <sstream>
#include <system_error>
#include <thread>

namespace tolvanex::report {
namespace {

namespace fs = std::filesystem;

const char* blockKind(const BankBlock& block)
{
    switch (block.kind) {
    case BlockKind::Question:
        return "Question";
    case BlockKind::Answer:
        return "Answer";
    default:
        return "Text";
    }
}

// A file name's part for a label as the course writes it: letters and digits kept.
std::string namePart(std::string_view label)
{
    std::string part;
    for (char c : label)
        part += (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ? c : '_';
    return part;
}

std::string pathText(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string fixed2(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string mean(double sum, std::size_t count)
{
    return count == 0 ? std::string("none") : fixed2(sum / static_cast<double>(count));
}

// "confidence: 3"; empty when the record has no rating.
std::string ratingText(const FiledRecord& record)
{
    if (record.kind == RecordKind::Note || record.rating == RatingKind::None)
        return {};
    const std::string reply = record.reply.empty() ? "(nothing typed)" : record.reply;
    return (record.rating == RatingKind::Confidence ? "confidence: " : "self-critique: ") + reply;
}

void pageHead(std::ostream& out, const std::string& title, const std::string& trail)
{
    out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">" << kGeneratorMark
        << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"><title>" << htmlEscape(title)
        << "</title><style>" << kStyle << "</style></head><body>\n";
    if (!trail.empty())
        out << "<header><nav aria-label=\"Where this page is\">" << trail << "</nav></header>\n";
    out << "<main>\n<h1>" << htmlEscape(title) << "</h1>\n";
}

void pageEnd(std::ostream& out)
{
    out << "</main>\n</body></html>\n";
}

void appendLink(std::string& out, std::string_view href, std::string_view text)
{
    out += "<a href=\"";
    appendEscaped(out, href);
    out += "\">";
    appendEscaped(out, text);
    out += "</a>";
}

std::string link(const std::string& href, const std::string& text)
{
    std::string out;
    appendLink(out, href, text);
    return out;
}

// A record's words as a paragraph of text.
void appendWords(std::string& out, const std::string& words)
{
    if (words.empty()) {
        out += "<p class=\"words empty\">(no words)</p>";
    } else {
        out += "<p class=\"words\">";
        appendEscaped(out, words);
        out += "</p>";
    }
}

struct Spooled {
    std::uint32_t id = 0;
    std::uint32_t block = 0;
    std::uint32_t student = 0;
    FiledRecord record;
};

// A record as the spool keeps it: a head of eight numbers (the entry's, the record's kinds, the
// lengths of its four texts), then the texts one after another; two calls to the stream each way.
constexpr std::size_t kSpoolHead = 8;

void putNumber(char* bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFFu);
}

std::uint32_t getNumber(const char* bytes)
{
    const auto byte = [&](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])); };
    return byte(0) | (byte(1) << 8) | (byte(2) << 16) | (byte(3) << 24);
}

void putSpooled(std::ostream& out, const Spooled& entry, const FiledRecord& record)
{
    const std::string* texts[] = { &record.date, &record.time, &record.reply, &record.words };
    const std::uint32_t head[kSpoolHead] = { entry.id, entry.block, entry.student,
        static_cast<std::uint32_t>(record.kind) | static_cast<std::uint32_t>(record.rating) << 8,
        static_cast<std::uint32_t>(texts[0]->size()), static_cast<std::uint32_t>(texts[1]->size()),
        static_cast<std::uint32_t>(texts[2]->size()), static_cast<std::uint32_t>(texts[3]->size()) };
    // The short texts travel with the head.
    char bytes[4 * kSpoolHead + 64];
    std::size_t size = 4 * kSpoolHead;
    for (std::size_t i = 0; i < kSpoolHead; ++i)
        putNumber(bytes + 4 * i, head[i]);
    std::size_t written = 0;
    for (; written < 4 && size + texts[written]->size() <= sizeof bytes; ++written) {
        std::copy_n(texts[written]->data(), texts[written]->size(), bytes + size);
        size += texts[written]->size();
    }
    out.write(bytes, static_cast<std::streamsize>(size));
    for (; written < 4; ++written)
        out.write(texts[written]->data(), static_cast<std::streamsize>(texts[written]->size()));
}

bool getSpooled(std::istream& in, Spooled& entry, std::string& texts)
{
    char bytes[4 * kSpoolHead];
    if (!in.read(bytes, sizeof bytes))
        return false;
    std::uint32_t head[kSpoolHead];
    for (std::size_t i = 0; i < kSpoolHead; ++i)
        head[i] = getNumber(bytes + 4 * i);
    entry.id = head[0];
    entry.block = head[1];
    entry.student = head[2];
    entry.record.kind = static_cast<RecordKind>(head[3] & 0xFFu);
    entry.record.rating = static_cast<RatingKind>(head[3] >> 8);
    texts.resize(std::size_t { head[4] } + head[5] + head[6] + head[7]);
    if (!in.read(texts.data(), static_cast<std::streamsize>(texts.size())))
        return false;
    std::size_t at = 0;
    for (auto [text, length] : { std::pair { &entry.record.date, head[4] }, { &entry.record.time, head[5] },
             { &entry.record.reply, head[6] }, { &entry.record.words, head[7] } }) {
        text->assign(texts, at, length);
        at += length;
    }
    return true;
}

// A question posed in a record, for the assignment's list.
struct Asked {
    std::size_t question = 0; // the first block of its question, an index in blocks()

    std::size_t student = 0;
    std::size_t id = 0;
    std::string when;
    std::vector<std::string> sentences;
};

// The characters HTML gives a meaning to (and the CR of a CR LF).
constexpr std::array<bool, 256> kMeaningful = [] {
    std::array<bool, 256> meaningful {};
    for (const char c : { '&', '<', '>', '"', '\'', '\r' })
        meaningful[static_cast<unsigned char>(c)] = true;
    return meaningful;
}();

} // namespace

void appendEscaped(std::string& out, std::string_view text)
{
    // The runs between the characters HTML gives a meaning to are copied whole.
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = at;
        while (end < text.size() && !kMeaningful[static_cast<unsigned char>(text[end])])
            ++end;
        out.append(text, at, end - at);
        if (end == text.size())
            break;
        switch (text[end]) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default: // '\r': a line ends at its LF
            break;
        }
        at = end + 1;
    }
}

std::string htmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    appendEscaped(out, text);
    return out;
}

std::vector<std::string> questionsIn(std::string_view words)
{
    std::vector<std::string> questions;
    if (words.find('?') == std::string_view::npos) // most words ask nothing
        return questions;
    std::string sentence;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const char c = words[i];
        if (c == '\r' || c == '\n' || c == '\t')
            sentence += ' ';
        else
            sentence += c;
        const bool end = c == '.' || c == '!' || c == '?';
        // A sentence ends at its mark when a blank, a line break or the end of the text follows
        // ("3.2 m/s" goes on).
        const bool atBreak = i + 1 == words.size() || words[i + 1] == ' ' || words[i + 1] == '\r'
            || words[i + 1] == '\n' || words[i + 1] == '\t';
        // A line break ends a sentence too: a question is often typed without its mark's blank.
        const bool lineEnd = (c == '\r' || c == '\n');
        if ((end && atBreak) || lineEnd || i + 1 == words.size()) {
            std::string text = sentence;
            const std::size_t first = text.find_first_not_of(' ');
            const std::size_t last = text.find_last_not_of(' ');
            text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
            if (!text.empty() && text.back() == '?')
                questions.push_back(text);
            sentence.clear();
        }
    }
    return questions;
}

std::string firstWords(std::string_view text, std::size_t most)
{
    text = text.substr(0, text.find_first_of("\r\n"));
    if (text.size() <= most)
        return std::string(text);
    std::size_t cut = text.rfind(' ', most);
    if (cut == std::string_view::npos || cut < most / 2)
        cut = most;
    // Not inside a character of several bytes.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0u) == 0x80u)
        --cut;
    return std::string(text.substr(0, cut)) + "...";
}

std::string assignmentPage(std::string_view assignment)
{
    return "a" + namePart(assignment) + ".html";
}

std::string questionPage(std::string_view assignment, std::string_view questionId, std::size_t repeat)
{
    return "a" + namePart(assignment) + "-" + (questionId.empty() ? std::string("intro") : "q" + namePart(questionId))
        + (repeat == 0 ? std::string() : "-" + std::to_string(repeat + 1)) + ".html";
}

std::string studentPage(std::size_t student)
{
    // "s0007.html": at least four digits.
    std::string number = std::to_string(student + 1);
    if (number.size() < 4)
        number.insert(0, 4 - number.size(), '0');
    return "s" + number + ".html";
}

struct HtmlReport::Spool {
    fs::path path;
    std::fstream file;
};

HtmlReport::HtmlReport(const ClassReport& report, const BankIndex& bank, fs::path folder, std::string title)
    : m_report(report)
    , m_bank(bank)
    , m_folder(std::move(folder))
    , m_title(std::move(title))
{
    // Each block's question page and the question's name; a label the assignment has twice
    // gives the second question a page of its own.
    const auto& blocks = m_bank.blocks();
    std::vector<std::size_t> repeats(blocks.size(), 0);
    std::map<std::pair<std::string, std::string>, std::size_t> seen;
    for (const BankQuestion& question : m_bank.questions())
        repeats[question.block] = seen[{ blocks[question.block].assignment, blocks[question.block].questionId }]++;
    std::map<std::size_t, const BankQuestion*> byBlock;
    for (const BankQuestion& question : m_bank.questions())
        byBlock[question.block] = &question;
    for (const BankBlock& block : blocks) {
        if (block.question == kNoQuestion) {
            m_pageOf.push_back(questionPage(block.assignment, ""));
            m_questionOf.emplace_back("before the first question");
        } else {
            m_pageOf.push_back(
                questionPage(block.assignment, blocks[block.question].questionId, repeats[block.question]));
            const auto found = byBlock.find(block.question);
            m_questionOf.push_back(
                "question " + (found == byBlock.end() ? blocks[block.question].questionId : found->second->label));
        }
    }
}

std::size_t HtmlReport::indexOf(const BankBlock& block) const
{
    return static_cast<std::size_t>(&block - m_bank.blocks().data());
}

HtmlReport::~HtmlReport()
{
    for (auto& [number, spool] : m_spools) {
        spool->file.close();
        std::error_code ignored;
        fs::remove(spool->path, ignored);
    }
}

void HtmlReport::fail(const std::string& name, const std::string& reason)
{
    const std::lock_guard lock(m_failing);
    if (m_error.empty())
        m_error = "the report's page " + pathText(m_folder / fs::u8path(name)) + " cannot be written: " + reason;
}

std::ofstream HtmlReport::open(const std::string& name)
{
    errno = 0;
    std::ofstream out(m_folder / fs::u8path(name), std::ios::binary | std::ios::trunc);
    if (!out)
        fail(name, errno != 0 ? std::strerror(errno) : "it cannot be opened");
    return out;
}

void HtmlReport::close(std::ofstream& out, const std::string& name)
{
    errno = 0;
    out.close();
    if (!out)
        fail(name, errno != 0 ? std::strerror(errno) : "it could not be written whole");
}

void HtmlReport::counted(std::size_t student, const FiledRecord& record)
{
    if (student != m_student && !m_held.empty())
        writeStudent();
    m_student = student;
    const std::size_t id = m_nextId++;
    m_held.push_back({ id, record });
    if (!record.block)
        return;
    const std::string& assignment = record.block->assignment;
    auto& spool = m_spools[assignment];
    if (!spool) {
        spool = std::make_unique<Spool>();
        spool->path = m_folder / fs::u8path(".spool-" + namePart(assignment));
        spool->file.open(spool->path, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
        if (!spool->file)
            fail(".spool-" + namePart(assignment), std::strerror(errno));
    }
    Spooled entry;
    entry.id = static_cast<std::uint32_t>(id);
    entry.block = static_cast<std::uint32_t>(record.block - m_bank.blocks().data());
    entry.student = static_cast<std::uint32_t>(student);
    putSpooled(spool->file, entry, record);
}

void HtmlReport::studentDone(std::size_t student)
{
    if (student == m_student && !m_held.empty())
        writeStudent();
}

void HtmlReport::writeStudent()
{
    writeStudentPage(m_student, m_held);
    m_held.clear();
}

void HtmlReport::writeStudentPage(std::size_t index, const std::vector<Held>& held)
{
    if (m_studentWritten.size() <= index)
        m_studentWritten.resize(index + 1, false);
    m_studentWritten[index] = true;
    const ClassReport::Student& student = m_report.students().at(index);
    const std::string name = studentPage(index);
    std::ofstream out = open(name);
    if (!out)
        return;
    // In time order: each record's date and time as one text to compare (a record with no date
    // first), made once.
    std::vector<std::pair<std::string, const Held*>> keyed;
    keyed.reserve(held.size());
    for (const Held& h : held)
        keyed.emplace_back(isoDate(h.record.date) + '\x01' + h.record.time, &h);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const Held*> records;
    records.reserve(keyed.size());
    for (const auto& [when, h] : keyed)
        records.push_back(h);
    pageHead(out, student.name, link(kIndexPage, "Class report") + " &rsaquo; Students");
    std::size_t responses = 0;
    std::size_t notes = 0;
    for (const Held& h : held)
        ++(h.record.kind == RecordKind::Note ? notes : responses);
    const std::string firstDay = student.days.empty() ? "" : student.days.begin()->first;
    const std::string lastDay = student.days.empty() ? "" : student.days.rbegin()->first;
    out << "<p class=\"summary\">" << responses << " responses and " << notes << " notes on " << student.days.size()
        << " days worked" << (student.days.empty() ? "" : ", " + htmlEscape(firstDay) + " to " + htmlEscape(lastDay))
        << ", from " << student.files << " files.</p>\n";

    out << "<h2>Confidence over time</h2>\n";
    std::vector<DayValue> points;
    for (const auto& [date, day] : student.days) {
        if (day.confidenceCount > 0 && !date.empty())
            points.push_back({ date, day.confidenceSum / static_cast<double>(day.confidenceCount) });
    }
    if (points.empty()) {
        out << "<p>No confidence rating of 0 to 3 was given.</p>\n";
    } else {
        out << "<figure>" << dateChart(points, "Mean confidence per day of " + student.name + ", 0 to 3")
            << "<figcaption>Mean confidence (0 to 3) on each day worked; the numbers are in the table "
               "below.</figcaption></figure>\n";
    }
    out << "<table><caption>Days worked</caption><thead><tr><th scope=\"col\">Date</th><th scope=\"col\">Records</th>"
           "<th scope=\"col\">Mean confidence</th><th scope=\"col\">Mean self-critique</th></tr></thead><tbody>\n";
    for (const auto& [date, day] : student.days)
        out << "<tr><td>" << htmlEscape(date.empty() ? "(no date)" : date) << "</td><td class=\"n\">" << day.records
            << "</td><td class=\"n\">" << mean(day.confidenceSum, day.confidenceCount) << "</td><td class=\"n\">"
            << mean(day.critiqueSum, day.critiqueCount) << "</td></tr>\n";
    out << "</tbody></table>\n";

    out << "<h2>Records in time order</h2>\n";
    if (records.empty())
        out << "<p>No record was read for this student.</p>\n";
    else
        out << "<table class=\"records\"><thead><tr><th scope=\"col\">Date</th><th scope=\"col\">Time</th>"
               "<th scope=\"col\">Assignment, question</th><th scope=\"col\">Record</th><th scope=\"col\">Rating</th>"
               "<th scope=\"col\">Words</th></tr></thead><tbody>\n";
    std::string row; // a record's row, made whole and written at once
    for (const Held* h : records) {
        const FiledRecord& r = h->record;
        row.assign("<tr><td>");
        appendEscaped(row, isoDate(r.date));
        row += "</td><td>";
        appendEscaped(row, r.time);
        row += "</td><td>";
        if (r.block) {
            const std::size_t b = indexOf(*r.block);
            row += "<a href=\"";
            appendEscaped(row, m_pageOf[b]);
            row += "#r" + std::to_string(h->id) + "\">";
            appendEscaped(row, r.block->assignment);
            row += ", ";
            appendEscaped(row, m_questionOf[b]);
            row += std::string(" (") + blockKind(*r.block) + " block)</a>";
        } else {
            row += r.blockText.empty() ? "before any block" : "a block not in the course";
        }
        row += "</td><td>";
        row += r.kind == RecordKind::Note ? "note" : "response";
        row += "</td><td>";
        appendEscaped(row, ratingText(r));
        row += "</td><td>";
        appendWords(row, r.words);
        row += "</td></tr>\n";
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
    if (!records.empty())
        out << "</tbody></table>\n";
    pageEnd(out);
    close(out, name);
}

void HtmlReport::writeAssignment(const std::string& number, std::string_view header, Spool* spool)
{
    const auto& blocks = m_bank.blocks();
    // The assignment's questions in the course's order, each with its blocks (the blocks before
    // the first question under kNoQuestion).
    std::vector<std::pair<std::size_t, std::vector<std::size_t>>> questions;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (blocks[i].assignment != number)
            continue;
        auto found = std::find_if(
            questions.begin(), questions.end(), [&](const auto& q) { return q.first == blocks[i].question; });
        if (found == questions.end())
            questions.push_back({ blocks[i].question, { i } });
        else
            found->second.push_back(i);
    }
    const std::string trail = link(kIndexPage, "Class report");
    const std::string title = std::string(header);
    const auto recordsOn = [&](const std::vector<std::size_t>& ids) {
        std::size_t records = 0;
        for (std::size_t b : ids)
            records += m_report.stats(blocks[b]).responses + m_report.stats(blocks[b]).notes;
        return records;
    };

    // The assignment's spooled records dealt out to a file per question page in one pass over the
    // spool, each block's in the order they were read; a page's file is then read once per block.
    struct Part {
        fs::path path;
        std::fstream file;
    };
    std::map<std::size_t, Part> parts; // by the question (kNoQuestion: the opening lines)
    Spooled entry;
    std::string texts; // a spooled record's texts, read at once
    std::string item; // a record's item, made whole and written at once
    if (spool) {
        spool->file.flush();
        spool->file.seekg(0);
        while (getSpooled(spool->file, entry, texts)) {
            Part& part = parts[blocks.at(entry.block).question];
            if (!part.file.is_open()) {
                part.path = spool->path;
                part.path += "-" + std::to_string(entry.block);
                part.file.open(part.path, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
                if (!part.file)
                    fail(pathText(part.path.filename()), std::strerror(errno));
            }
            putSpooled(part.file, entry, entry.record);
        }
        spool->file.clear();
    }
    struct RemoveParts {
        std::map<std::size_t, Part>& parts;
        ~RemoveParts()
        {
            for (auto& [block, part] : parts) {
                part.file.close();
                std::error_code ignored;
                fs::remove(part.path, ignored);
            }
        }
    } removeParts { parts };

    std::vector<Asked> asked;
    for (const auto& [question, ids] : questions) {
        if (recordsOn(ids) == 0)
            continue;
        const std::string& name = m_pageOf[ids.front()];
        std::ofstream out = open(name);
        if (!out)
            continue;
        pageHead(out, "Assignment " + number + ", " + m_questionOf[ids.front()],
            trail + " &rsaquo; " + link(assignmentPage(number), title));
        for (std::size_t b : ids) {
            const BankBlock& block = blocks[b];
            const auto& stats = m_report.stats(block);
            out << "<section><h2>" << blockKind(block) << " block</h2>\n<blockquote class=\"block\">"
                << htmlEscape(firstWords(blockWords(block))) << "</blockquote>\n";
            const auto part = parts.find(question);
            bool any = false;
            if (part != parts.end()) {
                part->second.file.flush();
                part->second.file.clear();
                part->second.file.seekg(0);
            }
            while (part != parts.end() && getSpooled(part->second.file, entry, texts)) {
                if (entry.block != b)
                    continue;
                if (!any)
                    out << "<p>" << stats.responses << " responses from " << stats.students << " students, "
                        << stats.notes << " notes.</p>\n<ol class=\"records\">\n";
                any = true;
                const FiledRecord& r = entry.record;
                const std::string& student = m_report.students().at(entry.student).name;
                const std::string when = isoDate(r.date) + " " + r.time;
                const std::string rating = ratingText(r);
                item.assign("<li id=\"r" + std::to_string(entry.id) + "\"><p class=\"who\">");
                appendLink(item, studentPage(entry.student), student);
                item += ", ";
                appendEscaped(item, when);
                item += r.kind == RecordKind::Note ? ", note" : ", response";
                if (!rating.empty()) {
                    item += ", ";
                    appendEscaped(item, rating);
                }
                item += "</p>";
                appendWords(item, r.words);
                item += "</li>\n";
                out.write(item.data(), static_cast<std::streamsize>(item.size()));
                std::vector<std::string> sentences = questionsIn(r.words);
                if (!sentences.empty())
                    asked.push_back({ ids.front(), entry.student, entry.id, when, std::move(sentences) });
            }
            out << (any ? "</ol></section>\n" : "<p>Nobody responded to this block.</p></section>\n");
        }
        pageEnd(out);
        close(out, name);
    }
    m_asked.at(number) = asked.size();

    const std::string name = assignmentPage(number);
    std::ofstream out = open(name);
    if (!out)
        return;
    pageHead(out, title, trail);
    out << "<p>Students are counted once per block; ratings count per response (a student who responded to a "
           "block twice counts twice in its chart). Each chart's numbers follow it as text. "
        << link("#asked", std::to_string(asked.size()) + " questions posed to the instructor") << ".</p>\n";
    out << "<table><thead><tr><th scope=\"col\">Question</th><th scope=\"col\">Students responding to the question</th>"
        << "<th scope=\"col\">Confidence</th><th scope=\"col\">Students responding to the answer</th>"
        << "<th scope=\"col\">Self-critique</th></tr></thead><tbody>\n";
    // A question's block and answer, or another block after it, with its students and ratings.
    const auto cells = [&](const ClassReport::BlockStats* counted, bool confidence, const std::string& what) {
        if (!counted) {
            out << "<td class=\"n\">-</td><td></td>";
            return;
        }
        const auto& ratings = confidence ? counted->confidence : counted->selfCritique;
        out << "<td class=\"n\">" << counted->students;
        if (counted->responses != counted->students)
            out << " (" << counted->responses << " responses)";
        out << "</td><td>" << barChart(ratings, what) << "<p class=\"nums\">" << htmlEscape(ratingCountsText(ratings))
            << "</p></td>";
    };
    const std::vector<ClassReport::QuestionRow> rows = m_report.questionRows(number);
    for (const auto& [question, ids] : questions) {
        const std::size_t records = recordsOn(ids);
        if (question == kNoQuestion) {
            if (records > 0)
                out << "<tr><th scope=\"row\">" << link(m_pageOf[ids.front()], "Before the first question")
                    << "</th><td colspan=\"4\">" << records << " responses and notes on the assignment's opening "
                    << "lines.</td></tr>\n";
            continue;
        }
        const std::string opening = firstWords(blockWords(blocks[question]), 100);
        const std::string& label = m_questionOf[question];
        if (records == 0) {
            out << "<tr><th scope=\"row\">" << htmlEscape(label) << "<br><span class=\"opening\">"
                << htmlEscape(opening) << "</span></th><td colspan=\"4\">Nobody has reached this question.</td></tr>\n";
            continue;
        }
        for (const ClassReport::QuestionRow& row : rows) {
            if (!row.question || row.question->block != question)
                continue;
            const bool own = row.asked != nullptr;
            out << "<tr><th scope=\"row\">" << link(m_pageOf[question], own ? label : "question " + row.label);
            if (own)
                out << "<br><span class=\"opening\">" << htmlEscape(opening) << "</span>";
            out << "</th>";
            cells(row.asked, true, "Confidence, question " + row.label);
            cells(row.answered, false, "Self-critique, question " + row.label);
            out << "</tr>\n";
        }
    }
    out << "</tbody></table>\n";

    out << "<h2 id=\"asked\">Questions posed to the instructor</h2>\n";
    if (asked.empty())
        out << "<p>No response or note on this assignment holds a question.</p>\n";
    std::size_t current = 0;
    for (std::size_t i = 0; i < asked.size(); ++i) {
        const Asked& a = asked[i];
        const std::string& page = m_pageOf[a.question];
        if (i == 0 || a.question != current) {
            if (i > 0)
                out << "</ul>\n";
            current = a.question;
            out << "<h3>" << link(page, "Assignment " + number + ", " + m_questionOf[a.question])
                << "</h3>\n<ul class=\"asked\">\n";
        }
        out << "<li>" << link(studentPage(a.student), m_report.students().at(a.student).name) << ", "
            << link(page + "#r" + std::to_string(a.id), a.when) << ":";
        for (const std::string& sentence : a.sentences)
            out << " <q>" << htmlEscape(sentence) << "</q>";
        out << "</li>\n";
    }
    if (!asked.empty())
        out << "</ul>\n";
    pageEnd(out);
    close(out, name);
}

void HtmlReport::writeIndex()
{
    std::ofstream out = open(kIndexPage);
    if (!out)
        return;
    pageHead(out, m_title, "");
    const ClassReport& r = m_report;
    out << "<p id=\"summary\">" << r.studentCount() << " students, " << r.filesRead() << " files read, "
        << r.filesSkipped() << " skipped, " << r.recordCount() << " records (each counted once), " << r.findingCount()
        << " findings.</p>\n";
    out << "<nav aria-label=\"Sections\"><ul class=\"inline\"><li><a href=\"#assignments\">Assignments</a></li>"
        << "<li><a href=\"#students\">Students</a></li><li><a href=\"#findings\">Findings</a></li>"
        << (m_hasRoster ? "<li><a href=\"#roster\">Roster</a></li>" : "") << "</ul></nav>\n";

    out << "<h2 id=\"assignments\">Assignments</h2>\n<table><thead><tr><th scope=\"col\">Assignment</th>"
        << "<th scope=\"col\">Questions reached</th><th scope=\"col\">Students</th><th scope=\"col\">Responses</th>"
        << "<th scope=\"col\">Notes</th><th scope=\"col\">Questions posed</th></tr></thead><tbody>\n";
    const auto& blocks = m_bank.blocks();
    for (const auto& [number, header] : m_bank.assignments()) {
        std::size_t responses = 0;
        std::size_t notes = 0;
        std::size_t students = 0;
        std::set<std::size_t> all;
        std::set<std::size_t> reached;
        for (const auto& block : blocks) {
            if (block.assignment != number)
                continue;
            const auto& stats = r.stats(block);
            responses += stats.responses;
            notes += stats.notes;
            students = std::max(students, stats.students);
            if (block.question == kNoQuestion)
                continue;
            all.insert(block.question);
            if (stats.responses + stats.notes > 0)
                reached.insert(block.question);
        }
        if (responses + notes == 0) {
            out << "<tr><th scope=\"row\">" << htmlEscape(header)
                << "</th><td colspan=\"5\">Nobody has sent work on this assignment.</td></tr>\n";
            continue;
        }
        const auto asked = m_asked.find(number);
        const std::size_t posed = asked == m_asked.end() ? 0 : asked->second;
        out << "<tr><th scope=\"row\">" << link(assignmentPage(number), std::string(header)) << "</th><td class=\"n\">"
            << reached.size() << " of " << all.size() << "</td><td class=\"n\">" << students << "</td><td class=\"n\">"
            << responses << "</td><td class=\"n\">" << notes << "</td><td class=\"n\">"
            << (posed == 0 ? std::string("0") : link(assignmentPage(number) + "#asked", std::to_string(posed)))
            << "</td></tr>\n";
    }
    out << "</tbody></table>\n";
    if (r.unmatched() > 0)
        out << "<p>" << r.unmatched() << " responses quote a block that is not in the course; they are on their "
            << "students' pages.</p>\n";

    out << "<h2 id=\"students\">Students</h2>\n<p>Questions responded to counts each question once, however often "
           "it was answered, as the summary CSV does; responses filed counts every response, to a question, its "
           "answer or another block, each filing once.</p>\n<table><thead><tr><th scope=\"col\">Student</th>"
        << "<th scope=\"col\">Assignments</th><th scope=\"col\">Questions responded to</th><th scope=\"col\">Days "
           "worked</th>"
        << "<th scope=\"col\">Responses filed</th><th scope=\"col\">Notes</th><th scope=\"col\">Mean "
           "confidence</th></tr>"
        << "</thead><tbody>\n";
    std::vector<std::size_t> sorted(r.students().size());
    for (std::size_t i = 0; i < sorted.size(); ++i)
        sorted[i] = i;
    std::stable_sort(sorted.begin(), sorted.end(),
        [&](std::size_t a, std::size_t b) { return r.students()[a].name < r.students()[b].name; });
    for (std::size_t index : sorted) {
        const ClassReport::Student& s = r.students()[index];
        std::set<std::size_t> covered;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            if (s.responded[i] && blocks[i].question != kNoQuestion)
                covered.insert(blocks[i].question);
        }
        const std::size_t questions = covered.size();
        std::string assignments;
        for (const auto& [number, n] : s.assignments)
            assignments += (assignments.empty() ? "" : ", ") + *number;
        const ClassReport::Worked worked = s.worked();
        out << "<tr><th scope=\"row\">" << link(studentPage(index), s.name) << "</th><td>" << htmlEscape(assignments)
            << "</td><td class=\"n\">" << questions << "</td><td class=\"n\">" << worked.days;
        if (worked.days > 0)
            out << " (" << htmlEscape(worked.first) << " to " << htmlEscape(worked.last) << ")";
        out << "</td><td class=\"n\">" << s.records << "</td><td class=\"n\">" << s.notes << "</td><td class=\"n\">"
            << mean(worked.confidenceSum, worked.confidenceCount) << "</td></tr>\n";
    }
    out << "</tbody></table>\n";

    if (m_hasRoster) {
        const RosterCheck check = checkRoster(m_roster, r);
        out << "<h2 id=\"roster\">Roster</h2>\n<p>" << m_roster.size() << " names on the roster.</p>\n";
        out << "<h3>Sent nothing</h3>\n";
        if (check.sentNothing.empty())
            out << "<p>Everyone on the roster sent work.</p>\n";
        else
            out << "<ul>\n";
        for (const std::string& name : check.sentNothing)
            out << "<li>" << htmlEscape(name) << "</li>\n";
        if (!check.sentNothing.empty())
            out << "</ul>\n";
        out << "<h3>Sent nothing for an assignment the class worked on</h3>\n";
        if (check.missing.empty())
            out << "<p>Everyone who sent work sent it for every assignment.</p>\n";
        else
            out << "<table><thead><tr><th scope=\"col\">Student</th><th scope=\"col\">Assignments with no "
                   "response</th></tr></thead><tbody>\n";
        for (const auto& [name, lacking] : check.missing) {
            std::string list;
            for (const std::string& number : lacking)
                list += (list.empty() ? "" : ", ") + number;
            out << "<tr><th scope=\"row\">" << htmlEscape(name) << "</th><td>" << htmlEscape(list) << "</td></tr>\n";
        }
        if (!check.missing.empty())
            out << "</tbody></table>\n";
        out << "<h3>In the files, not on the roster</h3>\n";
        if (check.notOnRoster.empty())
            out << "<p>Every name in the files is on the roster.</p>\n";
        else
            out << "<ul>\n";
        for (std::size_t index : check.notOnRoster)
            out << "<li>" << link(studentPage(index), r.students()[index].name) << "</li>\n";
        if (!check.notOnRoster.empty())
            out << "</ul>\n";
    }

    out << "<h2 id=\"findings\">Findings</h2>\n";
    if (r.findings().empty() && r.skipped().empty())
        out << "<p>Every file was read whole, with no finding.</p>\n";
    for (const auto& file : r.findings()) {
        out << "<h3>" << htmlEscape(file.path) << "</h3><ul>\n";
        for (const Finding& finding : file.findings)
            out << "<li class=\"finding\">Line " << finding.line << ": " << htmlEscape(finding.text) << "</li>\n";
        out << "</ul>\n";
    }
    if (!r.skipped().empty()) {
        out << "<h3>Files not read</h3><ul>\n";
        for (const auto& [path, reason] : r.skipped())
            out << "<li class=\"finding\">" << htmlEscape(path) << ": " << htmlEscape(reason) << "</li>\n";
        out << "</ul>\n";
    }
    pageEnd(out);
    close(out, kIndexPage);
}

bool HtmlReport::finish(std::string& error)
{
    if (!m_held.empty())
        writeStudent();
    for (std::size_t i = 0; i < m_report.students().size(); ++i) {
        if (i >= m_studentWritten.size() || !m_studentWritten[i])
            writeStudentPage(i, {});
    }
    struct Work {
        const std::string* number;
        std::string_view header;
        Spool* spool;
    };
    std::vector<Work> assignments;
    for (const auto& [number, header] : m_bank.assignments()) {
        const auto spool = m_spools.find(number);
        bool any = false;
        for (const BankBlock& block : m_bank.blocks()) {
            if (block.assignment == number) {
                const auto& stats = m_report.stats(block);
                any = any || stats.responses > 0 || stats.notes > 0;
            }
        }
        if (any) {
            m_asked[number] = 0;
            assignments.push_back({ &number, header, spool == m_spools.end() ? nullptr : spool->second.get() });
        }
    }
    // Two assignments' pages at a time: the counts are all in and no longer change, and an
    // assignment's pages and spool are its own. Writing them is mostly the system making files.
    std::atomic<std::size_t> next = 0;
    const auto writeSome = [&] {
        for (std::size_t i = next++; i < assignments.size(); i = next++)
            writeAssignment(*assignments[i].number, assignments[i].header, assignments[i].spool);
    };
    std::exception_ptr failed;
    std::thread other([&] {
        try {
            writeSome();
        } catch (...) {
            failed = std::current_exception();
        }
    });
    try {
        writeSome();
    } catch (...) {
        next = assignments.size();
        other.join();
        throw;
    }
    other.join();
    if (failed)
        std::rethrow_exception(failed);
    writeIndex();
    for (auto& [number, spool] : m_spools) {
        spool->file.close();
        std::error_code ignored;
        fs::remove(spool->path, ignored);
    }
    m_spools.clear();
    error = m_error;
    return m_error.empty();
}

} // namespace tolvanex::report
