// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/bank/BankContent.h"
#include "core/bank/QuestionBank.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tolvanex::report {

// What a block of the course is, as a record quotes it.
enum class BlockKind { None, Question, Answer, Text };

// The rating a response to a block is followed by.
enum class RatingKind { None, Confidence, SelfCritique };

// One block of the course: a bank line a student can page to, with the assignment and question
// it belongs to.
struct BankBlock {
    long line = 0;
    // The text a record quotes: the bank line, without the "`a" of an answer.
    std::string_view text;
    std::string assignment; // "005"
    std::string questionId; // "003", "003a"; empty before the assignment's first question
    BlockKind kind = BlockKind::Text;
    // The rating a response to this block gets: the kind of the last question or answer line read.
    RatingKind rating = RatingKind::None;
    // The question it belongs to: the index in blocks() of the last question block at or above
    // it in its assignment (its own for a question block); kNoQuestion before the first.
    std::size_t question = 0;
};

constexpr std::size_t kNoQuestion = static_cast<std::size_t>(-1);

// A block's words as the instructor reads them: a question's without its marker and label
// ("`q004.  "), any other block's as they are.
std::string_view blockWords(const BankBlock& block);

// A question of the course with the blocks that follow it up to the next question: what the
// report counts per question. Two questions of an assignment may carry the same label (a
// problem in two steps): each is a question of its own, told apart by its first words.
struct BankQuestion {
    std::size_t block = 0; // the question block, an index in blocks()
    std::optional<std::size_t> answer; // its first answer block; none when the answer comes later
    std::vector<std::size_t> texts; // the other blocks after it, in bank order
    std::string firstWords; // the question's first words, after its label
    // "004"; "004 (A car moving at 5.0 m/s ...)" when another question of the assignment has
    // the same label.
    std::string label;
};

// The built-in course, indexed by the block texts records quote.
class BankIndex {
public:
    explicit BankIndex(const BankContent& content = builtInContent());
    BankIndex(const BankIndex&) = delete;
    BankIndex& operator=(const BankIndex&) = delete;

    // Every block whose text is exactly this, in bank order.
    std::vector<const BankBlock*> blocksWithText(std::string_view text) const;
    // The block of the assignment given among several with the same text; the first otherwise.
    const BankBlock* find(std::string_view text, std::string_view assignment) const;
    // The header line of an assignment ("005.  Uniformly Accelerated Motion"); nothing when absent.
    std::optional<std::string_view> header(std::string_view assignment) const;
    // Blocks in bank order.
    const std::vector<BankBlock>& blocks() const { return m_blocks; }
    // Questions in bank order.
    const std::vector<BankQuestion>& questions() const { return m_questions; }
    // The question a block belongs to; none before its assignment's first question.
    const BankQuestion* questionOf(const BankBlock& block) const;
    // Assignments in bank order, with their header lines.
    const std::vector<std::pair<std::string, std::string_view>>& assignments() const { return m_assignments; }

private:
    QuestionBank m_bank;
    std::vector<BankBlock> m_blocks;
    std::vector<BankQuestion> m_questions;
    std::vector<std::size_t> m_questionOf; // per block, an index in m_questions, or kNoQuestion
    std::vector<std::pair<std::string, std::string_view>> m_assignments;
    std::unordered_map<std::string_view, std::vector<std::size_t>> m_byText;
};

} // namespace tolvanex::report
