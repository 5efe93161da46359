// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/report/BankIndex.h"

#include "core/text/Text.h"

namespace tolvanex::report {
namespace {

// A question line's words after its marker and label ("`q004.  ").
std::string_view afterLabel(std::string_view line)
{
    std::size_t at = line.find_first_of(" \r\n", 2);
    at = at == std::string_view::npos ? line.size() : line.find_first_not_of(" \r\n", at);
    return line.substr(at == std::string_view::npos ? line.size() : at);
}

// A question line's first words after its label, cut after about 40 characters at a blank, with
// "..." when cut; on one line.
std::string firstWords(std::string_view line)
{
    line = afterLabel(line);
    std::string words;
    for (const char given : line) {
        const char c = given == '\r' || given == '\n' ? ' ' : given;
        if (c == ' ' && (words.empty() || words.back() == ' '))
            continue;
        if (c == ' ' && words.size() >= 40)
            return words + " ...";
        words += c;
    }
    return words;
}

} // namespace

std::string_view blockWords(const BankBlock& block)
{
    return block.kind == BlockKind::Question && block.text.starts_with("`q") ? afterLabel(block.text) : block.text;
}

const BankQuestion* BankIndex::questionOf(const BankBlock& block) const
{
    const std::size_t question = m_questionOf.at(static_cast<std::size_t>(&block - m_blocks.data()));
    return question == kNoQuestion ? nullptr : &m_questions[question];
}

BankIndex::BankIndex(const BankContent& content)
{
    long cursor = 0;
    loadBank(m_bank, cursor, content);
    std::string assignment;
    std::string questionId;
    RatingKind rating = RatingKind::None;
    std::size_t question = kNoQuestion;
    for (long index = 1; index <= QuestionBank::kLastIndex; ++index) {
        const std::string& line = m_bank.line(index);
        if (line.empty())
            continue;
        if (isHeaderLine(line)) {
            // The drill starts on the header and stops at the next one: it is never a block.
            assignment = line.substr(0, 3);
            questionId.clear();
            question = kNoQuestion;
            rating = RatingKind::None;
            m_assignments.emplace_back(assignment, line);
            continue;
        }
        BankBlock block;
        block.line = index;
        block.text = line;
        if (isQuestionLine(line)) {
            const std::size_t stop = line.find('.', 2);
            questionId = line.substr(2, stop == std::string::npos ? std::string::npos : stop - 2);
            block.kind = BlockKind::Question;
            rating = RatingKind::Confidence;
        } else if (isAnswerLine(line)) {
            block.text = std::string_view(line).substr(2);
            block.kind = BlockKind::Answer;
            rating = RatingKind::SelfCritique;
        }
        block.assignment = assignment;
        block.questionId = questionId;
        block.rating = rating;
        if (block.kind == BlockKind::Question) {
            question = m_blocks.size();
            m_questions.push_back({ question, std::nullopt, {}, firstWords(line), {} });
        } else if (question != kNoQuestion) {
            BankQuestion& asked = m_questions.back();
            if (block.kind == BlockKind::Answer && !asked.answer)
                asked.answer = m_blocks.size();
            else
                asked.texts.push_back(m_blocks.size());
        }
        block.question = question;
        m_blocks.push_back(std::move(block));
    }
    for (BankQuestion& each : m_questions) {
        const BankBlock& asked = m_blocks[each.block];
        each.label = asked.questionId;
        for (const BankQuestion& other : m_questions) {
            const BankBlock& block = m_blocks[other.block];
            if (&other != &each && block.assignment == asked.assignment && block.questionId == asked.questionId) {
                each.label += " (" + each.firstWords + ")";
                break;
            }
        }
    }
    for (std::size_t i = 0; i < m_blocks.size(); ++i)
        m_byText[m_blocks[i].text].push_back(i);
    m_questionOf.assign(m_blocks.size(), kNoQuestion);
    for (std::size_t q = 0; q < m_questions.size(); ++q) {
        for (std::size_t i = m_questions[q].block; i < m_blocks.size() && m_blocks[i].question == m_questions[q].block;
             ++i)
            m_questionOf[i] = q;
    }
}

std::vector<const BankBlock*> BankIndex::blocksWithText(std::string_view text) const
{
    std::vector<const BankBlock*> found;
    if (const auto it = m_byText.find(text); it != m_byText.end()) {
        for (std::size_t i : it->second)
            found.push_back(&m_blocks[i]);
    }
    return found;
}

const BankBlock* BankIndex::find(std::string_view text, std::string_view assignment) const
{
    const auto it = m_byText.find(text);
    if (it == m_byText.end())
        return nullptr;
    for (std::size_t i : it->second) {
        if (m_blocks[i].assignment == assignment)
            return &m_blocks[i];
    }
    return &m_blocks[it->second.front()];
}

std::optional<std::string_view> BankIndex::header(std::string_view assignment) const
{
    for (const auto& [number, line] : m_assignments) {
        if (number == assignment)
            return line;
    }
    return std::nullopt;
}

} // namespace tolvanex::report
