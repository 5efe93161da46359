// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/report/FileReader.h"

#include "core/recording/Cp1252.h"
#include "core/report/HashCounts.h"
#include "core/text/Text.h"
#include "core/text/Texts.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <unordered_map>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace tolvanex::report {
namespace {

constexpr std::string_view kOpening = texts::openingSeparator;
constexpr std::string_view kClosing = texts::closingSeparator;
constexpr std::string_view kResponse = texts::responseLine;
constexpr std::string_view kNumber = texts::questionNumberMarker;
constexpr std::size_t kIndent = 36;
// After a note the send and notes files pad the closing line to the next print zone, 7 blanks.
constexpr std::size_t kPadding = 7;
// A block text longer than this many lines is no block of the course: the search for its end stops.
constexpr std::size_t kMostBlockLines = 400;

std::string prefixOf(std::string_view text)
{
    // The record line's text before its first "{", which the writer fills in.
    return std::string(text.substr(0, text.find('{')));
}

const std::string& notesPrefix()
{
    static const std::string prefix = prefixOf(texts::notesEntry);
    return prefix;
}
const std::string& confidencePrefix()
{
    static const std::string prefix = prefixOf(texts::confidenceLine);
    return prefix;
}
const std::string& selfCritiquePrefix()
{
    static const std::string prefix = prefixOf(texts::selfCritiqueLine);
    return prefix;
}
const std::string& assignmentPrefix()
{
    static const std::string prefix = prefixOf(texts::assignmentLine);
    return prefix;
}

bool digits(std::string_view text, std::size_t at, std::size_t count)
{
    for (std::size_t i = at; i < at + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

// "14:05:09"
bool isTime(std::string_view text)
{
    return text.size() == 8 && digits(text, 0, 2) && text[2] == ':' && digits(text, 3, 2) && text[5] == ':'
        && digits(text, 6, 2);
}

// "01-07-2026"
bool isDate(std::string_view text)
{
    return text.size() == 10 && digits(text, 0, 2) && text[2] == '-' && digits(text, 3, 2) && text[5] == '-'
        && digits(text, 6, 4);
}

constexpr std::string_view kBlanks = "                                    ";
static_assert(kBlanks.size() == kIndent);
// The closing line of a note in the send and notes files, without its line break.
constexpr std::string_view kPadded = ".................................................       ";
static_assert(kPadded.size() == texts::closingSeparator.size() + kPadding);

bool indented(std::string_view line)
{
    return line.size() >= kIndent && line.substr(0, kIndent) == kBlanks;
}

bool isTimeLine(std::string_view line)
{
    return line.size() == kIndent + 8 && indented(line) && isTime(line.substr(kIndent));
}

bool isDateTimeLine(std::string_view line)
{
    return line.size() == kIndent + 18 && indented(line) && isDate(line.substr(kIndent, 10))
        && isTime(line.substr(kIndent + 10));
}

// The filler line: the code page characters 66 to 255, one or more.
bool isFiller(std::string_view line)
{
    return !line.empty() && std::ranges::all_of(line, [](char c) { return static_cast<unsigned char>(c) >= 66; });
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// The character an escape "[U+XXXX]" at `at` stands for, when the writer would have written that
// character so: four to six upper-case hex digits as it prints them, a character the code page
// lacks. `length` is the escape's length.
std::optional<char32_t> escapeAt(std::string_view text, std::size_t at, std::size_t& length)
{
    if (!startsWith(text.substr(at), "[U+"))
        return std::nullopt;
    std::size_t end = at + 3;
    char32_t cp = 0;
    while (end < text.size() && end - at - 3 < 7
        && ((text[end] >= '0' && text[end] <= '9') || (text[end] >= 'A' && text[end] <= 'F'))) {
        cp = cp * 16 + static_cast<char32_t>(text[end] <= '9' ? text[end] - '0' : text[end] - 'A' + 10);
        ++end;
    }
    const std::size_t count = end - at - 3;
    if (count < 4 || count > 6 || end >= text.size() || text[end] != ']')
        return std::nullopt;
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return std::nullopt;
    char printed[16];
    std::snprintf(printed, sizeof printed, "%04X", static_cast<unsigned>(cp));
    if (text.substr(at + 3, count) != printed)
        return std::nullopt;
    std::string utf8;
    appendUtf8(utf8, cp);
    if (encodeCp1252(utf8).size() == 1)
        return std::nullopt; // the code page holds it: the writer would have written its byte
    length = end + 1 - at;
    return cp;
}

} // namespace

// Each text told apart from the next by its length.
std::size_t hashOf(std::initializer_list<std::string_view> parts)
{
    std::size_t hash = 0;
    for (std::string_view part : parts) {
        const std::size_t h = std::hash<std::string_view>()(part) ^ (part.size() * 0x9E3779B97F4A7C15ull);
        hash ^= h + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2);
    }
    return hash;
}

namespace {

struct Line {
    std::size_t begin = 0;
    std::size_t end = 0; // before the CR LF
    std::size_t number = 1; // the line of the file it is on, 1-based
    bool terminated = false; // ended by CR LF
    // A run of NUL bytes: no text, and nothing read runs across it.
    bool nul = false;
};

struct Pos {
    std::size_t line = 0;
    std::size_t col = 0;
};

// A record as far as the start of its words.
struct Head {
    RecordKind kind = RecordKind::Response;
    std::string_view time;
    std::string_view date;
    std::string_view questionNumber;
    std::size_t blockBegin = 0; // lines
    std::size_t blockEnd = 0;
    Pos words;
};

// A reading thread's lines and record keys, kept from file to file: a class is some 150,000 files,
// and each would otherwise grow its own from nothing.
struct Scratch {
    std::vector<Line> lines;
    std::vector<std::size_t> nuls; // the lines that are runs of NUL bytes, in order
    HashCounts seen; // a record key's hash: the line of the record
};

Scratch& scratch()
{
    thread_local Scratch kept;
    kept.lines.clear();
    kept.nuls.clear();
    kept.seen.clear();
    return kept;
}

class Parser {
public:
    Parser(std::string_view bytes, const BankIndex& bank, ReadFile& out)
        : m_bytes(bytes)
        , m_bank(bank)
        , m_out(out)
        , m_scratch(scratch())
    {
        // Lines end at CR LF. A run of NUL bytes is a line of its own, wherever it starts: what a
        // power cut leaves in place of the last writes, with text the program went on to write
        // after it.
        std::size_t start = 0;
        std::size_t number = 1;
        std::size_t nul = bytes.find('\0');
        while (start < bytes.size()) {
            const std::size_t crlf = bytes.find("\r\n", start);
            if (nul < crlf) {
                if (nul > start)
                    m_lines.push_back({ start, nul, number, false, false });
                std::size_t after = bytes.find_first_not_of('\0', nul);
                after = after == std::string_view::npos ? bytes.size() : after;
                const bool ended = bytes.substr(after, 2) == "\r\n";
                m_scratch.nuls.push_back(m_lines.size());
                m_lines.push_back({ nul, after, number, ended, true });
                start = ended ? after + 2 : after;
                number += ended ? 1 : 0;
                nul = bytes.find('\0', start);
                continue;
            }
            if (crlf == std::string_view::npos) {
                m_lines.push_back({ start, bytes.size(), number, false, false });
                break;
            }
            m_lines.push_back({ start, crlf, number++, true, false });
            start = crlf + 2;
        }
    }

    // False when the file does not begin as one of ours.
    // False when the file does not begin as one of ours. With NUL bytes in it (a power cut may
    // have zeroed its first writes), when it holds no heading block or record at all.
    bool begins() const
    {
        if (headingAt({}) || headAt({}).has_value() || headCutShort({}))
            return true;
        if (nextNul(0) == count())
            return false;
        for (std::size_t at = 0; at < count(); ++at) {
            if (headingAt({ at, 0 }) || headAt({ at, 0 }).has_value())
                return true;
        }
        return false;
    }
    // Nothing but NUL bytes.
    bool onlyNul() const { return count() == 1 && m_lines[0].nul; }
    void run();

private:
    std::size_t count() const { return m_lines.size(); }
    bool atEnd(Pos p) const { return p.line >= count(); }
    std::string_view line(std::size_t i) const
    {
        return m_bytes.substr(m_lines[i].begin, m_lines[i].end - m_lines[i].begin);
    }
    std::string_view text(Pos p) const { return line(p.line).substr(p.col); }
    bool terminated(std::size_t i) const { return m_lines[i].terminated; }
    bool nulAt(std::size_t i) const { return i < count() && m_lines[i].nul; }
    // The first run of NUL bytes at or after line i; the end when there is none.
    std::size_t nextNul(std::size_t i) const
    {
        if (i >= count())
            return i;
        const auto found = std::lower_bound(m_scratch.nuls.begin(), m_scratch.nuls.end(), i);
        return found == m_scratch.nuls.end() ? count() : *found;
    }
    // The file's line number of line i (the line after the last for the end).
    std::size_t numberOf(std::size_t i) const
    {
        if (i < count())
            return m_lines[i].number;
        return count() == 0 ? 1 : m_lines.back().number + (m_lines.back().terminated ? 1 : 0);
    }
    std::string_view span(std::size_t from, std::size_t to) const // lines [from, to)
    {
        if (from >= to)
            return {};
        return m_bytes.substr(m_lines[from].begin, m_lines[to - 1].end - m_lines[from].begin);
    }
    std::string_view spanFrom(Pos from, std::size_t to) const
    {
        if (from.line >= to)
            return {};
        const std::size_t begin = m_lines[from.line].begin + from.col;
        return m_bytes.substr(begin, m_lines[to - 1].end - begin);
    }

    bool headingAt(Pos p) const
    {
        return !atEnd(p) && isFiller(text(p)) && p.line + 1 < count()
            && startsWith(line(p.line + 1), assignmentPrefix());
    }
    // A heading's first line, and nothing after it: cut short.
    bool headingCutShort(Pos p) const
    {
        return !atEnd(p) && isFiller(text(p)) && (p.line + 1 == count() || !terminated(p.line));
    }
    std::optional<Head> headAt(Pos p) const;
    // What of a record head there is matches, and the file ends before it is whole.
    bool headCutShort(Pos p) const;
    bool continues(Pos p) const
    {
        return atEnd(p) || nulAt(p.line) || headingAt(p) || headAt(p).has_value() || headCutShort(p)
            || headingCutShort(p);
    }

    void heading(Pos& p);
    bool record(Pos& p);
    void note(std::size_t at, std::string text) { m_out.findings.push_back({ numberOf(at), std::move(text) }); }
    void checkOrder(const FiledRecord& record, std::size_t at, std::size_t hash);

    std::string_view m_bytes;
    const BankIndex& m_bank;
    ReadFile& m_out;
    Scratch& m_scratch;
    std::vector<Line>& m_lines = m_scratch.lines;
    std::string m_date;
    std::string m_assignment;
    std::string m_lastTime;
    std::size_t m_lastTimeLine = 0;
    HashCounts& m_seen = m_scratch.seen;
};

std::optional<Head> Parser::headAt(Pos p) const
{
    if (atEnd(p) || text(p) != kOpening || !terminated(p.line) || p.line + 1 >= count()
        || !isTimeLine(line(p.line + 1)))
        return std::nullopt;
    Head head;
    head.time = line(p.line + 1).substr(kIndent);
    std::size_t at = p.line + 2;
    bool numbered = false;
    bool dated = false;
    if (at + 2 < count() && line(at).empty() && line(at + 1).empty() && startsWith(line(at + 2), kNumber)) {
        head.questionNumber = line(at + 2).substr(kNumber.size());
        numbered = true;
        at += 3;
    } else if (at < count() && isDateTimeLine(line(at))) {
        head.date = line(at).substr(kIndent, 10);
        dated = true;
        ++at;
    }
    head.blockBegin = at;
    while (at < count() && at - head.blockBegin <= kMostBlockLines && line(at) != kOpening && !nulAt(at))
        ++at;
    if (at >= count() || at == head.blockBegin || line(at) != kOpening || at + 1 >= count())
        return std::nullopt;
    head.blockEnd = at;
    const std::string_view lead = line(at + 1);
    if (lead == kResponse && !dated) {
        head.kind = RecordKind::Response;
        head.words = { at + 2, 0 };
    } else if (startsWith(lead, notesPrefix()) && !numbered) {
        head.kind = RecordKind::Note;
        head.words = { at + 1, notesPrefix().size() };
    } else {
        return std::nullopt;
    }
    if (head.words.line >= count() || nulAt(head.words.line))
        return std::nullopt;
    return head;
}

bool Parser::headCutShort(Pos p) const
{
    if (atEnd(p) || text(p).empty() || !startsWith(kOpening, text(p)) || count() - p.line > kMostBlockLines + 8
        || headAt(p))
        return false;
    // Every line from here to the end may be the start of this record: no other begins below,
    // at the start of a line or after a note's padded closing line.
    const std::string_view padded = kPadded;
    for (std::size_t at = p.line + 1; at < count(); ++at) {
        for (const Pos start : { Pos { at, 0 }, Pos { at, padded.size() } }) {
            if (start.col > 0 && !startsWith(line(at), padded))
                continue;
            if (headingAt(start) || headAt(start))
                return false;
        }
    }
    return true;
}

void Parser::run()
{
    Pos p;
    while (!atEnd(p)) {
        if (nulAt(p.line)) {
            const Line& zeros = m_lines[p.line];
            note(p.line,
                "Line " + std::to_string(zeros.number) + " holds " + std::to_string(zeros.end - zeros.begin)
                    + (zeros.end - zeros.begin == 1 ? " NUL byte" : " NUL bytes")
                    + " (a power cut leaves such zeros where the file's last writes were): what they "
                      "stand in place of is lost; reading goes on after them.");
            p = { p.line + 1, 0 };
            continue;
        }
        if (headingAt(p) || headingCutShort(p)) {
            heading(p);
            continue;
        }
        if (headAt(p)) {
            if (!record(p))
                p = { nextNul(p.line), 0 };
            continue;
        }
        if (headCutShort(p)) {
            note(p.line, "The file ends in the middle of a record: it was cut short (a torn tail).");
            p = { nextNul(p.line), 0 };
            continue;
        }
        // Lines that are no part of a record: up to where one begins again.
        // A record or heading block begins at the start of a line, or after a note's padded
        // closing line (or what a run of NUL bytes left of it: its last dots and blanks).
        const std::size_t from = p.line;
        const auto beginsAt = [&](Pos at) { return headingAt(at) || headAt(at).has_value(); };
        const auto again = [&](std::size_t at) -> std::optional<Pos> {
            if (at > from && beginsAt({ at, 0 }))
                return Pos { at, 0 };
            const std::size_t padding = line(at).find(kPadded.substr(kClosing.size() - 1));
            const Pos after { at, padding + kPadding + 1 };
            // On the line reading stopped at, only further on.
            const auto ahead = [&](Pos there) { return at > from || there.col > p.col; };
            if (padding != std::string_view::npos && ahead(after) && beginsAt(after))
                return after;
            const Pos blanks { at, line(at).find_first_not_of(' ') };
            if (at > 0 && nulAt(at - 1) && blanks.col > 0 && blanks.col <= kPadding && ahead(blanks)
                && beginsAt(blanks))
                return blanks;
            return std::nullopt;
        };
        std::size_t at = from;
        std::optional<Pos> next;
        while (at < count() && !(at > from && nulAt(at)) && !(next = again(at)))
            ++at;
        p = next ? *next : Pos { at, 0 };
        if (at >= count()) {
            note(from, "The file goes on after its last whole record with lines that are no part of a record.");
            return;
        }
        // The part of a line a run of NUL bytes cut off is told of with the NUL bytes.
        if (nulAt(at) && at == from + 1 && !terminated(from))
            continue;
        if (at == from)
            continue;
        note(from,
            "Lines " + std::to_string(numberOf(from)) + " to " + std::to_string(numberOf(at - 1))
                + " are no part of a record (edited by hand?); reading goes on at line " + std::to_string(numberOf(at))
                + ".");
    }
}

void Parser::heading(Pos& p)
{
    const auto cutShort = [&] {
        note(p.line, "The file ends in the middle of a heading block: it was cut short.");
        p = { nextNul(p.line), 0 };
    };
    if (!headingAt(p) || p.line + 2 >= count())
        return cutShort();
    // The header is the bank's header line, which may run over several lines; a header that is
    // not the course's ends where the course title and a date follow.
    const std::string assignment(line(p.line + 1).substr(assignmentPrefix().size()));
    const auto header = m_bank.header(assignment);
    std::size_t course = p.line + 3;
    if (header) {
        const std::size_t lines = static_cast<std::size_t>(std::count(header->begin(), header->end(), '\n')) + 1;
        if (p.line + 2 + lines <= count() && span(p.line + 2, p.line + 2 + lines) == *header)
            course = p.line + 2 + lines;
    }
    if (course == p.line + 3 && !(course + 1 < count() && isDate(line(course + 1)))) {
        for (std::size_t at = p.line + 3; at + 1 < count() && at - p.line < kMostBlockLines; ++at) {
            if (isDate(line(at + 1)) && line(at) == texts::courseTitle) {
                course = at;
                break;
            }
        }
    }
    if (course + 1 >= count() || !terminated(course + 1) || nextNul(p.line) <= course + 1)
        return cutShort();
    Heading h;
    h.line = numberOf(p.line);
    h.assignment = assignment;
    h.header = decodeFiled(span(p.line + 2, course));
    h.course = decodeFiled(line(course));
    h.date = std::string(line(course + 1));
    if (!isDate(h.date))
        note(course + 1, "The heading block's date \"" + decodeFiled(h.date) + "\" is not a date (MM-DD-YYYY).");
    if (h.course != texts::courseTitle)
        note(course,
            "The course title \"" + h.course + "\" is not this course's, \"" + std::string(texts::courseTitle) + "\".");
    if (!header)
        note(p.line + 1, "There is no assignment \"" + decodeFiled(h.assignment) + "\" in this course.");
    else if (*header != span(p.line + 2, course))
        note(p.line + 2,
            "The assignment header \"" + h.header + "\" differs from the course's, \"" + std::string(*header) + "\".");
    if (m_out.name.kind == FileKind::Send && isDate(h.date)
        && h.date.substr(0, 2) + h.date.substr(3, 2) != m_out.name.mmdd)
        note(course + 1,
            "The heading block is dated " + h.date + ", but the file's name says it is the send file of "
                + m_out.name.mmdd.substr(0, 2) + "-" + m_out.name.mmdd.substr(2) + ".");
    if (h.date != m_date)
        m_lastTime.clear();
    m_date = h.date;
    m_assignment = h.assignment;
    m_out.headings.push_back(std::move(h));
    p = { course + 2, 0 };
}

bool Parser::record(Pos& p)
{
    const Head head = *headAt(p);
    FiledRecord r;
    r.kind = head.kind;
    r.line = numberOf(p.line);
    r.time = head.time;
    r.date = head.kind == RecordKind::Note ? std::string(head.date) : m_date;
    r.questionNumber = std::string(head.questionNumber);
    const std::string_view block = span(head.blockBegin, head.blockEnd);
    if (!block.empty()) {
        r.block = m_bank.find(block, m_assignment);
        if (!r.block)
            r.blockText = decodeFiled(block);
        if (!r.block)
            note(head.blockBegin,
                "The block text matches no block of the course (edited by hand, or from another course).");
    }
    // Where the record ends: the first closing line after the words that the file goes on from as
    // it can go on after a record (its end, a heading block, the next record), with the rating line
    // the block gets above it.
    std::optional<RatingKind> expected;
    if (block.empty())
        expected = RatingKind::None;
    else if (r.block)
        expected = r.kind == RecordKind::Note ? RatingKind::None : r.block->rating;
    std::size_t firstEnd = 0;
    Pos firstAfter;
    RatingKind firstRating = RatingKind::None;
    std::size_t fallbackEnd = 0;
    Pos fallbackAfter;
    RatingKind fallbackRating = RatingKind::None;
    bool found = false;
    const std::size_t leastWordLines = r.kind == RecordKind::Response ? 1 : 0;
    std::size_t zeros = count();
    for (std::size_t j = head.words.line + 1; j < count() && !found; ++j) {
        if (nulAt(j)) {
            zeros = j;
            break;
        }
        Pos after;
        const std::string_view here = line(j);
        if (here == kClosing && terminated(j)) {
            after = { j + 1, 0 };
        } else if (startsWith(here, kPadded)) {
            after = { j, kClosing.size() + kPadding };
            if (after.col == here.size() && terminated(j))
                after = { j + 1, 0 };
            else if (after.col == here.size())
                after = { nulAt(j + 1) ? j + 1 : count(), 0 };
        } else {
            continue;
        }
        if (j - head.words.line < leastWordLines)
            continue;
        // The rating line, if the line above the closing is one.
        RatingKind rating = RatingKind::None;
        if (r.kind == RecordKind::Response && j - head.words.line >= 2) {
            if (startsWith(line(j - 1), confidencePrefix()))
                rating = RatingKind::Confidence;
            else if (startsWith(line(j - 1), selfCritiquePrefix()))
                rating = RatingKind::SelfCritique;
        }
        const bool fits = !expected || *expected == rating || *expected == RatingKind::None;
        if (!continues(after)) {
            if (fits && fallbackEnd == 0) {
                fallbackEnd = j;
                fallbackAfter = after;
                fallbackRating = expected && *expected == RatingKind::None ? RatingKind::None : rating;
            }
            continue;
        }
        if (expected && *expected != rating && !(*expected == RatingKind::None)) {
            if (firstEnd == 0) {
                firstEnd = j;
                firstAfter = after;
                firstRating = rating;
            }
            continue;
        }
        if (expected && *expected == RatingKind::None)
            rating = RatingKind::None;
        firstEnd = j;
        firstAfter = after;
        firstRating = rating;
        found = true;
    }
    if (!found && firstEnd == 0 && fallbackEnd != 0) {
        // Nothing a record can be followed by comes after any closing line: the first with the
        // right rating line above it ends the record, and what follows is no part of one.
        firstEnd = fallbackEnd;
        firstAfter = fallbackAfter;
        firstRating = fallbackRating;
        found = true;
    }
    if (!found && firstEnd == 0) {
        note(p.line,
            zeros < count() ? "The record is cut short by NUL bytes on line " + std::to_string(numberOf(zeros))
                    + ": its end is lost."
                            : std::string("The file ends in the middle of a record: it was cut short (a torn tail)."));
        return false;
    }
    if (!found)
        note(firstEnd, "The record has not the rating line its block gets.");
    const std::size_t wordsEnd = firstRating == RatingKind::None ? firstEnd : firstEnd - 1;
    r.words = decodeFiled(spanFrom(head.words, wordsEnd));
    r.rating = firstRating;
    if (firstRating != RatingKind::None) {
        const std::string& prefix = firstRating == RatingKind::Confidence ? confidencePrefix() : selfCritiquePrefix();
        r.reply = decodeFiled(line(firstEnd - 1).substr(prefix.size()));
    }
    // Filed twice: the same record at the same time. The same words on the same block at another
    // time are the student's to file again.
    // A block of the course by its place, not its text hashed once more.
    const std::size_t place = r.block ? static_cast<std::size_t>(r.block - m_bank.blocks().data()) : 0;
    const std::string_view blockKey
        = r.block ? std::string_view(reinterpret_cast<const char*>(&place), sizeof place) : block;
    checkOrder(r, p.line,
        hashOf({ r.kind == RecordKind::Note ? (r.block ? "n" : "nt") : (r.block ? "r" : "rt"), r.date, r.time, blockKey,
            spanFrom(head.words, firstEnd), r.questionNumber }));
    m_out.records.push_back(std::move(r));
    p = firstAfter;
    return true;
}

void Parser::checkOrder(const FiledRecord& r, std::size_t at, std::size_t hash)
{
    if (std::size_t& line = m_seen[hash]; line != 0)
        note(at, "The same record as at line " + std::to_string(line) + " is filed again (a double filing).");
    else
        line = r.line;
    if (r.date != m_date && r.kind == RecordKind::Note) {
        // A note dated otherwise than the heading (the program was left open past midnight).
        m_date = r.date;
        m_lastTime.clear();
    }
    if (!m_lastTime.empty() && r.time < m_lastTime)
        note(at,
            "This record's time, " + r.time + ", is earlier than that of the record at line "
                + std::to_string(m_lastTimeLine) + ", " + m_lastTime + ", on the same day.");
    m_lastTime = r.time;
    m_lastTimeLine = r.line;
}

bool validUtf8WithMultibyte(std::string_view bytes)
{
    bool multibyte = false;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        const std::size_t length = lead < 0x80 ? 1
            : (lead >> 5) == 0x6               ? 2
            : (lead >> 4) == 0xE               ? 3
            : (lead >> 3) == 0x1E              ? 4
                                               : 0;
        if (length == 0 || at + length > bytes.size())
            return false;
        for (std::size_t i = 1; i < length; ++i) {
            if ((static_cast<unsigned char>(bytes[at + i]) & 0xC0) != 0x80)
                return false;
        }
        multibyte = multibyte || length > 1;
        at += length;
    }
    return multibyte;
}

// The control characters no text the program writes holds (NUL bytes are a power cut's).
constexpr std::array<std::uint8_t, 256> kControl = [] {
    std::array<std::uint8_t, 256> control {};
    for (int byte = 1; byte < 0x20; ++byte)
        control[static_cast<std::size_t>(byte)] = byte != '\r' && byte != '\n' && byte != '\t' && byte != '\f';
    return control;
}();

// More than one in twenty of the first 4 KB control characters. Every file read passes here: the
// bytes are looked at sixteen at a time where the processor can.
bool looksBinary(std::string_view bytes)
{
    const std::string_view start = bytes.substr(0, 4096);
    std::size_t controls = 0;
    std::size_t at = 0;
#if defined(__SSE2__) && defined(__x86_64__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i highestControl = _mm_set1_epi8(0x1F);
    __m128i counts = zero;
    for (; at + 16 <= start.size(); at += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(start.data() + at));
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(v, highestControl), v);
        const __m128i allowed = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, zero), _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'))),
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\t'))),
                _mm_cmpeq_epi8(v, _mm_set1_epi8('\f'))));
        const __m128i ones = _mm_and_si128(_mm_andnot_si128(allowed, control), _mm_set1_epi8(1));
        counts = _mm_add_epi64(counts, _mm_sad_epu8(ones, zero));
    }
    controls = static_cast<std::size_t>(_mm_cvtsi128_si64(counts))
        + static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(counts, counts)));
#endif
    for (; at < start.size(); ++at)
        controls += kControl[static_cast<unsigned char>(start[at])];
    return controls * 20 > start.size();
}

} // namespace

FileName parseFileName(std::string_view fileName)
{
    FileName name;
    name.namePart = std::string(fileName);
    if (fileName.size() <= 4 || lowerAscii(fileName.substr(fileName.size() - 4)) != ".txt")
        return name;
    std::string_view stem = fileName.substr(0, fileName.size() - 4);
    // Windows keeps names that differ only in case as one file: the program's prefixes and ".txt"
    // are read in any case. A copy's marks are no part of the name: Windows' "Copy of " before it,
    // and anything from a blank on (" (1)", " - Copy"), as the program writes no blank in a name.
    std::string lower = lowerAscii(stem);
    for (std::string_view copyOf : { "copy of ", "copy (" }) {
        const std::size_t of = lower.find(" of ");
        if (startsWith(lower, copyOf) && of != std::string::npos && of + 4 < lower.size()) {
            stem = stem.substr(of + 4);
            lower = lower.substr(of + 4);
            break;
        }
    }
    if (const std::size_t blank = stem.find(' '); blank != std::string_view::npos) {
        stem = stem.substr(0, blank);
        lower.resize(blank);
    }
    if (startsWith(lower, "masterfile_")) {
        name.kind = FileKind::Master;
        name.namePart = std::string(stem.substr(11));
    } else if (startsWith(lower, "notes_")) {
        name.kind = FileKind::Notes;
        name.namePart = std::string(stem.substr(6));
    } else if (startsWith(lower, "send_") && digits(stem, 5, 4)) {
        name.kind = FileKind::Send;
        name.mmdd = std::string(stem.substr(5, 4));
        name.namePart = std::string(stem.substr(9));
    } else {
        name.namePart = std::string(fileName.substr(0, fileName.size() - 4));
    }
    return name;
}

std::string studentKey(std::string_view namePart)
{
    // Upper case to lower case in the scripts Windows-1252 and its neighbours write names in:
    // Latin, Greek, Cyrillic. Other characters stay as they are.
    std::string key;
    key.reserve(namePart.size());
    for (std::size_t at = 0; at < namePart.size();) {
        const auto lead = static_cast<unsigned char>(namePart[at]);
        if (lead < 0x80) {
            key += static_cast<char>(lead >= 'A' && lead <= 'Z' ? lead + 32 : lead);
            ++at;
            continue;
        }
        const std::size_t length = (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
        if (length != 2 || at + 1 >= namePart.size()) {
            key += namePart.substr(at, length);
            at += length;
            continue;
        }
        char32_t cp
            = static_cast<char32_t>(((lead & 0x1F) << 6) | (static_cast<unsigned char>(namePart[at + 1]) & 0x3F));
        if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) || (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2)
            || (cp >= 0x410 && cp <= 0x42F))
            cp += 0x20;
        else if (cp >= 0x400 && cp <= 0x40F)
            cp += 0x50;
        else if (cp == 0x178)
            cp = 0xFF;
        else if (cp == 0x152 || cp == 0x160 || cp == 0x17D)
            cp += 1;
        appendUtf8(key, cp);
        at += 2;
    }
    return key;
}

std::string decodeFiled(std::string_view bytes)
{
    std::string text = decodeCp1252(bytes);
    if (text.find("[U+") == std::string::npos)
        return text;
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 0;
        if (text[at] == '[') {
            if (const auto cp = escapeAt(text, at, length)) {
                appendUtf8(out, *cp);
                at += length;
                continue;
            }
        }
        out += text[at++];
    }
    return out;
}

namespace {

ReadFile readAsItIs(std::string_view fileName, std::string_view bytes, const BankIndex& bank)
{
    ReadFile out;
    out.name = parseFileName(fileName);
    if (out.name.kind == FileKind::Other) {
        out.skipped = "the file's name is not one the program gives its files (masterFile_NAME.txt, "
                      "send_MMDDNAME.txt, notes_NAME.txt)";
        return out;
    }
    if (bytes.empty()) {
        out.skipped = "the file is empty";
        return out;
    }
    if (looksBinary(bytes)) {
        out.skipped = "the file holds binary data, not text";
        return out;
    }
    Parser parser(bytes, bank, out);
    if (parser.onlyNul()) {
        out.skipped = "the file holds nothing but NUL bytes (what a power cut can leave)";
        return out;
    }
    if (!parser.begins()) {
        if (bytes.find('\0') != std::string_view::npos)
            out.skipped = "the file holds binary data, not text";
        else if (startsWith(bytes, "\xEF\xBB\xBF") || validUtf8WithMultibyte(bytes))
            out.skipped = "the file is UTF-8 text from elsewhere, not a file the program wrote";
        else
            out.skipped = "the file does not begin with a heading block or a record: it is not one the program wrote";
        return out;
    }
    parser.run();
    return out;
}

} // namespace

ReadFile readFile(std::string_view fileName, std::string_view bytes, const BankIndex& bank)
{
    ReadFile read = readAsItIs(fileName, bytes, bank);
    if (read.skipped.empty() && read.findings.empty())
        return read;
    // A mail program or an editor may have turned the line ends into LF alone, all or some. The
    // program writes CR LF only, so such a file is read again with CR LF, and that reading is
    // taken when it reads more. (A student's words may hold a lone LF of their own: a file that
    // reads whole as it is keeps it.)
    std::string mended;
    std::size_t lone = 0;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        if (bytes[at] == '\n' && (at == 0 || bytes[at - 1] != '\r')) {
            mended += '\r';
            ++lone;
        }
        mended += bytes[at];
    }
    if (lone == 0)
        return read;
    ReadFile again = readAsItIs(fileName, mended, bank);
    const bool better = read.skipped.empty() ? again.records.size() > read.records.size()
            || (again.records.size() == read.records.size() && again.findings.size() < read.findings.size())
                                             : again.skipped.empty();
    if (!better)
        return read;
    again.findings.insert(again.findings.begin(),
        { 0,
            "The line ends were changed: " + std::to_string(lone)
                + " lines end in LF alone, not in CR LF as the program writes them (a mail program or an "
                  "editor?); read as if they ended in CR LF." });
    return again;
}

} // namespace tolvanex::report
