// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/DraftFile.h"

#include <cstdio>

namespace tolvanex {
namespace {

// A draft begins with this line and one line each for the assignment, the question number, the
// kind of block ("question", "answer", "none") and the time typed ("yyyy-mm-dd hh:mm:ss"); the
// words follow as typed. A file without the first line holds the words alone.
constexpr std::string_view kMagic = "tolvanex draft 1\n";

const char* kindName(LineKind kind)
{
    return kind == LineKind::Question ? "question" : kind == LineKind::Answer ? "answer" : "none";
}

std::string oneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

// The next line of rest, taken off it; nothing when there is no line break.
std::optional<std::string> takeLine(std::string_view& rest)
{
    const std::size_t end = rest.find('\n');
    if (end == std::string_view::npos)
        return std::nullopt;
    std::string line(rest.substr(0, end));
    rest.remove_prefix(end + 1);
    return line;
}

} // namespace

std::string encodeDraft(const Draft& draft)
{
    if (!draft.place)
        return draft.words;
    const DraftPlace& p = *draft.place;
    char time[32];
    std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d:%02d", p.typed.year, p.typed.month, p.typed.day,
        p.typed.hour, p.typed.minute, p.typed.second);
    return std::string(kMagic) + oneLine(p.assignment) + "\n" + oneLine(p.questionNumber) + "\n" + kindName(p.kind)
        + "\n" + time + "\n" + draft.words;
}

Draft decodeDraft(std::string_view bytes)
{
    if (bytes.substr(0, kMagic.size()) != kMagic)
        return { std::string(bytes), std::nullopt };
    std::string_view rest = bytes.substr(kMagic.size());
    const auto assignment = takeLine(rest);
    const auto question = takeLine(rest);
    const auto kind = takeLine(rest);
    const auto time = takeLine(rest);
    DraftPlace place;
    if (!assignment || !question || !kind || !time
        || std::sscanf(time->c_str(), "%d-%d-%d %d:%d:%d", &place.typed.year, &place.typed.month, &place.typed.day,
               &place.typed.hour, &place.typed.minute, &place.typed.second)
            != 6)
        return { std::string(bytes), std::nullopt };
    place.assignment = *assignment;
    place.questionNumber = *question;
    place.kind = *kind == "question" ? LineKind::Question : *kind == "answer" ? LineKind::Answer : LineKind::None;
    return { std::string(rest), std::move(place) };
}

DraftFile::DraftFile(FileSystem& files, std::string path, std::string lockPath)
    : m_files(files)
    , m_path(std::move(path))
    , m_lockPath(std::move(lockPath))
{
}

bool DraftFile::used()
{
    return m_files.fileLength(m_lockPath) || m_files.fileLength(m_path);
}

std::unique_ptr<FileLock> DraftFile::tryLock()
{
    return m_files.tryLock(m_lockPath);
}

std::optional<Draft> DraftFile::read()
{
    if (m_files.fileLength(m_path).value_or(0) == 0)
        return std::nullopt;
    return decodeDraft(m_files.readAll(m_path));
}

std::string DraftFile::bytes()
{
    return m_files.fileLength(m_path) ? m_files.readAll(m_path) : std::string();
}

void DraftFile::save(std::string_view bytes)
{
    m_files.replaceFile(m_path, bytes);
}

void DraftFile::remove()
{
    if (m_files.fileLength(m_path))
        m_files.removeFile(m_path);
}

void DraftFile::removeFiled(std::string_view words, std::string_view heldBefore, bool own)
{
    if (m_path.empty() || !m_files.fileLength(m_path))
        return;
    std::unique_ptr<FileLock> gone;
    if (!own) {
        gone = tryLock();
        if (!gone)
            return;
    }
    const std::string draft = m_files.readAll(m_path);
    if (decodeDraft(draft).words == words || (!heldBefore.empty() && draft == heldBefore))
        m_files.removeFile(m_path);
}

} // namespace tolvanex
