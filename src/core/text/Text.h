// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace tolvanex {

// Texts are UTF-8 inside the program; bank lines are plain ASCII, so for them a byte is a character.

// The first n characters of a text (the whole text when it is shorter).
std::string_view firstChars(std::string_view text, std::size_t n);

// ASCII letters lower-cased; every other byte unchanged.
std::string lowerAscii(std::string_view text);

// Number of characters (code points) of a UTF-8 text.
std::size_t charCount(std::string_view text);

// The numeric value of a text: its leading number (sign, digits, fraction, exponent), with blanks,
// tabs and line feeds ignored wherever they stand; 0 when the text does not begin with a number.
double numericValue(std::string_view text);

// A number in plain decimal without blanks: 1000, 6, 2.5, -3.
std::string plainNumber(double value);

// A number as the file writer writes it after a text: a blank (or "-") for the sign, the plain
// digits, and one trailing blank: " 50003 ".
std::string writtenNumber(double value);

// An assignment number widened to three characters: one character gets "00" before it, two get
// "0"; every other length is kept as it is.
std::string widenToThree(std::string text);

// The text with every "{key}" replaced by its value (texts::... hold their changing parts so).
std::string fill(std::string_view text, std::initializer_list<std::pair<std::string_view, std::string_view>> values);

// Line-kind markers of the bank.
bool isQuestionLine(std::string_view line); // begins with "`q" (case-sensitive)
bool isAnswerLine(std::string_view line); // begins with "`a" (case-sensitive)
bool isRoutineLine(std::string_view line); // first eight characters, lower-cased, are "`routine"
bool isHeaderLine(std::string_view line); // three digits and "."

} // namespace tolvanex
