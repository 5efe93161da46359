// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The question bank: its fixed size, checked access, and the loader, on content built here.
#include "core/bank/QuestionBank.h"
#include "core/text/Text.h"

#include <gtest/gtest.h>

namespace tolvanex {
namespace {

TEST(QuestionBank, EveryAccessOutsideTheArrayRaises)
{
    QuestionBank bank;
    EXPECT_THROW(bank.line(5001), SubscriptOutOfRange);
    EXPECT_THROW(bank.line(-1), SubscriptOutOfRange);
    EXPECT_THROW(bank.store(5001, "x"), SubscriptOutOfRange);
    EXPECT_THROW(bank.append(-1, "x"), SubscriptOutOfRange);
    EXPECT_NO_THROW(bank.store(5000, "last"));
    EXPECT_EQ(bank.line(5000), "last");
    try {
        bank.line(5001);
    } catch (const SubscriptOutOfRange& error) {
        EXPECT_EQ(error.index(), 5001);
        EXPECT_NE(std::string(error.what()).find("Subscript out of range"), std::string::npos);
    }
}

TEST(Loader, JoinsPartsAtTheSameIndexEvenInsideAMarker)
{
    const std::string_view parts[] = { "first", "A{", "}B", " and more", "third" };
    const StoredLine lines[] = { { 0, 1 }, { 1, 3 }, { 4, 1 } };
    QuestionBank bank;
    long cursor = 0;
    loadBank(bank, cursor, BankContent { parts, lines });
    EXPECT_EQ(cursor, 3);
    EXPECT_EQ(bank.line(1), "first");
    EXPECT_EQ(bank.line(2), "A{}B and more");
    EXPECT_EQ(bank.line(3), "third");
    EXPECT_EQ(bank.line(4), "");
}

TEST(Loader, PartsSideBySideInMemoryJoinLikeSeparateOnes)
{
    static const char text[] = "A{}B and morenext";
    const std::string_view parts[] = { { text, 2 }, { text + 2, 2 }, { text + 4, 9 }, { text + 13, 4 } };
    const StoredLine lines[] = { { 0, 3 }, { 3, 1 } };
    QuestionBank bank;
    long cursor = 0;
    loadBank(bank, cursor, BankContent { parts, lines });
    EXPECT_EQ(bank.line(1), "A{}B and more");
    EXPECT_EQ(bank.line(2), "next");
}

TEST(Loader, StartsAfterTheCursorAndRefusesToRunPastTheBank)
{
    const std::string_view parts[] = { "a", "b" };
    const StoredLine lines[] = { { 0, 1 }, { 1, 1 } };
    QuestionBank bank;
    long cursor = 4999;
    EXPECT_THROW(loadBank(bank, cursor, BankContent { parts, lines }), SubscriptOutOfRange);
    EXPECT_EQ(bank.line(5000), "a");
}

} // namespace
} // namespace tolvanex
