// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/recording/Journal.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>

namespace tolvanex {
namespace {

// Every field is its length in decimal, a colon and its bytes, so any byte may stand in it:
//   "tolvanex journal 2" <entries> (<path> <length before or "new"> <bytes>)... <words> <draft>
//   <draft file> <draft lock>
// and last the FNV-1a check sum of all that, in hex. A journal of version 1, written before
// windows had drafts of their own, has no draft file and lock. Version 3 adds, after the draft
// lock, <held drafts> (<file> <lock> <bytes>)...; it is written only for a filing that takes
// other windows' drafts with it, so that every other journal stays one that a program of version
// 2 reads.
constexpr std::string_view kMagic = "tolvanex journal 2";
constexpr std::string_view kMagicOne = "tolvanex journal 1";
constexpr std::string_view kMagicThree = "tolvanex journal 3";

void field(std::string& out, std::string_view value)
{
    out += std::to_string(value.size());
    out += ':';
    out.append(value);
}

std::uint64_t checkSum(std::string_view bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::string hex(std::uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

class Reader {
public:
    explicit Reader(std::string_view bytes)
        : m_rest(bytes)
    {
    }
    std::optional<std::string_view> field()
    {
        std::size_t length = 0;
        const auto [end, error] = std::from_chars(m_rest.data(), m_rest.data() + m_rest.size(), length);
        const auto digits = static_cast<std::size_t>(end - m_rest.data());
        if (error != std::errc() || digits == 0 || digits >= m_rest.size() || m_rest[digits] != ':'
            || m_rest.size() - digits - 1 < length)
            return std::nullopt;
        const std::string_view value = m_rest.substr(digits + 1, length);
        m_rest.remove_prefix(digits + 1 + length);
        return value;
    }
    std::optional<std::uintmax_t> number()
    {
        const auto text = field();
        std::uintmax_t value = 0;
        if (!text
            || std::from_chars(text->data(), text->data() + text->size(), value).ptr != text->data() + text->size())
            return std::nullopt;
        return value;
    }
    bool atEnd() const { return m_rest.empty(); }

private:
    std::string_view m_rest;
};

} // namespace

std::string encodeJournal(const Journal& journal)
{
    std::string out;
    field(out, journal.heldDrafts.empty() ? kMagic : kMagicThree);
    field(out, std::to_string(journal.entries.size()));
    for (const JournalEntry& entry : journal.entries) {
        field(out, entry.path);
        field(out, entry.lengthBefore ? std::to_string(*entry.lengthBefore) : "new");
        field(out, entry.bytes);
    }
    field(out, journal.words);
    field(out, journal.draft);
    field(out, journal.draftFile);
    field(out, journal.draftLock);
    if (!journal.heldDrafts.empty()) {
        field(out, std::to_string(journal.heldDrafts.size()));
        for (const JournalDraft& held : journal.heldDrafts) {
            field(out, held.file);
            field(out, held.lock);
            field(out, held.bytes);
        }
    }
    field(out, hex(checkSum(out)));
    return out;
}

std::optional<Journal> decodeJournal(std::string_view bytes)
{
    Reader reader(bytes);
    const auto magic = reader.field();
    if (magic != kMagic && magic != kMagicOne && magic != kMagicThree)
        return std::nullopt;
    const auto count = reader.number();
    if (!count)
        return std::nullopt;
    Journal journal;
    for (std::uintmax_t i = 0; i < *count; ++i) {
        const auto path = reader.field();
        const auto before = reader.field();
        const auto written = reader.field();
        if (!path || !before || !written)
            return std::nullopt;
        JournalEntry entry { std::string(*path), std::nullopt, std::string(*written) };
        if (*before != "new") {
            std::uintmax_t length = 0;
            if (std::from_chars(before->data(), before->data() + before->size(), length).ptr
                != before->data() + before->size())
                return std::nullopt;
            entry.lengthBefore = length;
        }
        journal.entries.push_back(std::move(entry));
    }
    const auto words = reader.field();
    const auto draft = reader.field();
    if (!words || !draft)
        return std::nullopt;
    journal.words = *words;
    journal.draft = *draft;
    if (magic != kMagicOne) {
        const auto draftFile = reader.field();
        const auto draftLock = reader.field();
        if (!draftFile || !draftLock)
            return std::nullopt;
        journal.draftFile = *draftFile;
        journal.draftLock = *draftLock;
    }
    if (magic == kMagicThree) {
        const auto held = reader.number();
        if (!held || *held == 0)
            return std::nullopt;
        for (std::uintmax_t i = 0; i < *held; ++i) {
            const auto file = reader.field();
            const auto lock = reader.field();
            const auto draftBytes = reader.field();
            if (!file || !lock || !draftBytes)
                return std::nullopt;
            journal.heldDrafts.push_back({ std::string(*file), std::string(*lock), std::string(*draftBytes) });
        }
    }
    const auto sum = reader.field();
    if (!sum || !reader.atEnd())
        return std::nullopt;
    // The check sum covers everything before its own field.
    const std::size_t sumField = std::to_string(sum->size()).size() + 1 + sum->size();
    if (*sum != hex(checkSum(bytes.substr(0, bytes.size() - sumField))))
        return std::nullopt;
    return journal;
}

} // namespace tolvanex
