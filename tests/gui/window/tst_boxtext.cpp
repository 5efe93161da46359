// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The two text boxes as the drill uses them: putting back the text a box already shows, appending
// after the student typed, and very long paragraphs.
#include "gui/window/MainWindow.h"
#include "support/Fakes.h"
#include "support/SmallBank.h"
#include "support/WindowFakes.h"

#include <QAccessible>
#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace tolvanex {
namespace {

// The window's two large boxes as they are made, each with the text the program keeps beside it.
struct Boxes : ::testing::Test {
    Boxes()
        : window(h.windowServices(), testing::threeAssignments())
        , question(window.findChild<QPlainTextEdit*>("txt_question"))
        , answer(window.findChild<QPlainTextEdit*>("txt_answer"))
    {
    }
    void showWindow()
    {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    testing::FakeWindowServices h;
    MainWindow window;
    QPlainTextEdit* question;
    QPlainTextEdit* answer;
    // Boxes of their own over the window's two text boxes, which keep theirs untouched.
    BoxText questionText { question };
    BoxText answerText { answer };
};

std::string numberedLines(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "line " + std::to_string(i) + (i < count ? "\r\n" : "");
    return text;
}

TEST_F(Boxes, PuttingBackTheShownTextLeavesItAndReturnsCaretAndViewToTheTop)
{
    ASSERT_NO_FATAL_FAILURE(showWindow());
    const std::string prompt = numberedLines(60);
    answerText.setText(prompt);
    answer->moveCursor(QTextCursor::End);
    QScrollBar* bar = answer->verticalScrollBar();
    bar->setValue(bar->maximum());
    ASSERT_GT(bar->value(), 0);

    answerText.setText(prompt);
    EXPECT_EQ(answerText.text(), prompt);
    EXPECT_EQ(answer->toPlainText(), QString::fromStdString(prompt).replace("\r\n", "\n"));
    EXPECT_EQ(answer->textCursor().position(), 0);
    EXPECT_FALSE(answer->textCursor().hasSelection());
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(Boxes, PuttingBackTheEarlierTextReplacesWhatTheStudentTyped)
{
    answerText.setText("prompt");
    answer->moveCursor(QTextCursor::End);
    QTest::keyClicks(answer, " and more");
    ASSERT_EQ(answer->toPlainText(), "prompt and more");
    // The drill has not read the box since the typing: the text it puts back is still new.
    answerText.setText("prompt");
    EXPECT_EQ(answer->toPlainText(), "prompt");
    EXPECT_EQ(answerText.text(), "prompt");
}

TEST_F(Boxes, AppendingKeepsWhatTheStudentTypedAndTheExactLineBreaks)
{
    questionText.setText("Q\r\n");
    question->moveCursor(QTextCursor::End);
    QTest::keyClicks(question, "typed");
    QTest::keyClick(question, Qt::Key_Return);
    questionText.append("tail\r\n\r\nend");
    EXPECT_EQ(questionText.text(), "Q\r\ntyped\r\ntail\r\n\r\nend");
    EXPECT_EQ(question->toPlainText(), "Q\ntyped\ntail\n\nend");
    questionText.append("");
    EXPECT_EQ(questionText.text(), "Q\r\ntyped\r\ntail\r\n\r\nend");
}

TEST_F(Boxes, AVeryLongParagraphIsShownWithoutAddedBreaksAndCanBeTypedInto)
{
    ASSERT_NO_FATAL_FAILURE(showWindow());
    std::string paragraph;
    while (paragraph.size() < 300000)
        paragraph += "notes run together without a break ";
    // Put in whole, and appended to a paragraph after a short one, as "display notes" does.
    for (const std::string before : { "", "Q1.\r\nseen " }) {
        SCOPED_TRACE(before);
        const std::string whole = before + paragraph;
        questionText.setText(before.empty() ? whole : before);
        if (!before.empty())
            questionText.append(paragraph);
        const int lastBlock = before.empty() ? 0 : 1;
        EXPECT_EQ(questionText.text(), whole);
        EXPECT_EQ(question->document()->blockCount(), lastBlock + 1);
        // What the box holds, and what a screen reader reads of it: the text, with no break added.
        const QString shown = QString::fromStdString(whole).replace("\r\n", "\n");
        EXPECT_EQ(question->toPlainText(), shown);
        QAccessibleTextInterface* reader = QAccessible::queryAccessibleInterface(question)->textInterface();
        ASSERT_NE(reader, nullptr);
        EXPECT_EQ(reader->characterCount(), shown.size());
        EXPECT_EQ(reader->text(0, reader->characterCount()), shown);
        const QTextLayout* layout = question->document()->findBlockByNumber(lastBlock).layout();
        QApplication::processEvents();
        EXPECT_GT(layout->lineCount(), 1000) << "the paragraph is wrapped to the box";
        // The long paragraph keeps its layout's analysis, so that painting a part of it does not
        // work out the whole again; a short one keeps nothing.
        EXPECT_TRUE(layout->cacheEnabled());
        if (lastBlock > 0) {
            EXPECT_FALSE(question->document()->firstBlock().layout()->cacheEnabled());
        }
    }
    // The box's own text is plain: no OpenType shaping for it, which is what makes it fast.
    EXPECT_TRUE(question->font().styleStrategy() & QFont::PreferNoShaping);
    EXPECT_TRUE(question->font().bold());

    question->setFocus();
    question->moveCursor(QTextCursor::End);
    QTest::keyClicks(question, "!");
    EXPECT_EQ(questionText.text(), "Q1.\r\nseen " + paragraph + "!");
}

} // namespace
} // namespace tolvanex
