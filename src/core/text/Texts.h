// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's own texts, each in one place: prompts, captions, record lines, file names and
// messages. A text with parts that change holds them as {name}, filled in with fill() (Text.h).
// The tests include this header; the journeys that drive the built program read the same texts
// from a file the build writes (generated/texts.json, made by core/tools/textsdump.cpp).

#include <string_view>
#include <utility>

namespace tolvanex::texts {

inline constexpr std::string_view courseTitle = "Physics I";
inline constexpr std::string_view defaultFolder = "c:\\tolvanex";

// Start-up prompts.
inline constexpr std::string_view namePrompt = "Your full name:  ";
inline constexpr std::string_view folderQuestion
    = "Enter 1 if you want to change the folder to which your files will be written.  The current default folder is "
      "c:\\tolvanex.  If you wish to use this folder, just hit the Enter key";
inline constexpr std::string_view pathPrompt
    = "You have chosen to change the folder to which your files will be written on your hard drive from the default "
      "c:\\tolvanex.  Enter the path to the folder you wish to use.  You may just hit the Enter key to retain the "
      "default path.";
inline constexpr std::string_view assignmentPrompt = "Assignment Number:  ";
// The standing instructions put into the answer box when the student pages on without filing.
inline constexpr std::string_view responsePrompt
    = "Enter, as appropriate, an answer to the question, a critique of your answer in response to a given answer, "
      "your insights regarding the situation at this point, notes to yourself, or just an OK.\r\n\r\n"
      "Always critique your solutions by describing any insights you had or errors you makde, and by explaining how "
      "you can make use of the insight or how you now know how to avoid certain errors.  Also pose for the "
      "instructor any question or questions that you have related to the problem or series of problems.";

// Rating prompts after a response.
inline constexpr std::string_view confidencePrompt
    = "Assess your level of confidence in your answer on a scale from 0 to 3, where 0 means you have no confidence in "
      "your answer, 1 means you have some confidence, 2 means you are pretty confident and 3 means you are certain of "
      "your answer:";
inline constexpr std::string_view selfCritiquePrompt
    = "Rate the quality of your self-critique on a 0-3 scale, where 0 indicates that self-critique was necessary on "
      "this question but was not given, 1 indicates that self-critique was necessary but the given self-critique was "
      "not adequate, 2 indicates that self-critique was necessary and was mostly adequate, and 3 indicates that either "
      "self-critique was not necessary or that after reading the solution everything was completely obvious so you "
      "skipped the self-critique.";

// Lines of the records in the files.
inline constexpr std::string_view openingSeparator = "......!!!!!!!!...................................";
inline constexpr std::string_view closingSeparator = ".................................................";
inline constexpr std::string_view assignmentLine = "assignment #{number}";
inline constexpr std::string_view questionNumberMarker = "`questionNumber";
inline constexpr std::string_view responseLine = "RESPONSE -->  ";
inline constexpr std::string_view notesEntry = "NOTES -------> {words}";
inline constexpr std::string_view confidenceLine = "confidence assessment:  {reply}";
inline constexpr std::string_view selfCritiqueLine = "self critique assessment: {reply}";

// The files, as the program names them: {name} is the student's name with "_" for each blank,
// {mmdd} today's month and day.
inline constexpr std::string_view masterFile = "{folder}\\masterFile_{name}.txt";
inline constexpr std::string_view sendFile = "{folder}\\send_{mmdd}{name}.txt";
inline constexpr std::string_view notesFile = "{folder}\\notes_{name}.txt";
// The program's own files beside them, hidden: the journal of a filing under way, the draft of the
// words being typed, the lock one filing at a time holds.
inline constexpr std::string_view journalFile = "{folder}\\.tolvanex_{name}.journal";
// Each running window keeps its own draft, numbered, and holds a lock on the file beside it for as
// long as it runs.
inline constexpr std::string_view draftFile = "{folder}\\.tolvanex_{name}.draft{window}";
inline constexpr std::string_view draftLockFile = "{folder}\\.tolvanex_{name}.inuse{window}";
inline constexpr std::string_view lockFile = "{folder}\\.tolvanex_{name}.lock";

// Captions of the buttons that messages name.
inline constexpr std::string_view nextQuestionCaption = "Next Question / Answer";
inline constexpr std::string_view enterResponseCaption = "Enter Response";
inline constexpr std::string_view saveAsNotesCaption = "Save as Notes";

// Second chances at start-up.
inline constexpr std::string_view noSuchAssignment
    = "There is no assignment \"{number}\" in this program.\n\nThe assignments available are {first} to {last} (you "
      "may type {firstTyped} to {lastTyped}). Please enter the assignment number again, or click Cancel to leave the "
      "program.";
inline constexpr std::string_view nameAgainPrompt
    = "Your name cannot be used in a file name: {problem}.  Type your full name again:  ";
inline constexpr std::string_view nameHoldsCharacter
    = "it holds {character}, and a file name cannot contain \\ / : * ? \" < > | or control characters";
inline constexpr std::string_view nameTooLong
    = "it has {count} characters, and a file name holds at most {limit}, which leaves {left} for a name";
inline constexpr std::string_view nameTooLongInBytes
    = "its {count} characters take {bytes} bytes in a file name (a letter beyond A to Z takes two or more), and a "
      "file name holds at most {limit} bytes, which leaves {left} for a name";
// Asked after the message that says why: it is not said again.
inline constexpr std::string_view folderAgainPrompt
    = "Enter the path to another folder for your files, or just hit the Enter key to try {folder} again.";

// Filings that failed: what was filed, whether anything of it is in the files, what to do, then
// the file and the system's reason.
inline constexpr std::string_view headingRecord = "The heading of your files";
inline constexpr std::string_view responseRecord = "Your response";
inline constexpr std::string_view noteRecord = "Your note";
inline constexpr std::string_view notSaved
    = "{record} could not be saved. Nothing of it is in your files: they are exactly as they were before.";
inline constexpr std::string_view notSavedWhole
    = "{record} could not be saved whole, and what had been written of it could not all be taken back out:";
inline constexpr std::string_view holdsWhole = "{file} holds all of it.";
inline constexpr std::string_view holdsPart = "{file} holds part of it.";
inline constexpr std::string_view holdsNothing = "{file} holds none of it.";
inline constexpr std::string_view willComplete
    = "The program has kept a note of it and completes it in every file, once, the next time it files anything or "
      "starts with your name and this folder.";
inline constexpr std::string_view checkHeadingFolder
    = "Make sure the folder exists, can be written to and the disk has room (and that a removable drive is still "
      "plugged in); you are asked for the folder next.";
inline constexpr std::string_view wordsKept
    = "Your words are still in the answer box. Make sure the folder can be written to and the disk has room (and "
      "that a removable drive is still plugged in), then click \"{button}\" again: they will be filed once.";
// When it is the file itself that cannot be written, not its folder or disk.
inline constexpr std::string_view wordsKeptFileHeld
    = "{trouble}. Your words are still in the answer box. {remedy}, then click \"{button}\" again: they will be "
      "filed once.";
inline constexpr std::string_view headingFileHeld
    = "{trouble}. {remedy}, then try the same folder again; you are asked for the folder next.";
inline constexpr std::string_view fileInUse = "Another program has {file} open and lets no other program write it";
inline constexpr std::string_view closeTheFile = "Close the file in that program (or close the program)";
inline constexpr std::string_view fileReadOnly = "{file} is read-only";
inline constexpr std::string_view makeWritable = "Make it writable again (in its properties, clear \"Read-only\")";
inline constexpr std::string_view wordsKeptBusy
    = "Another copy of the program is writing these files and has not finished. Your words are still in the answer "
      "box. Let the other copy finish its filing (if it does not respond, close it), then click \"{button}\" again: "
      "they will be filed once.";
inline constexpr std::string_view headingBusy
    = "Another copy of the program is writing these files and has not finished. Let it finish its filing (if it "
      "does not respond, close it), then try the same folder again; you are asked for the folder next.";
inline constexpr std::string_view waitingForOtherCopy
    = "Waiting for another copy of the program to finish writing these files...";
inline constexpr std::string_view nowWhole = "{record} is now whole in every file: {files}.";
inline constexpr std::string_view fileLine = "File: {file}";
inline constexpr std::string_view programsName = "({path} in this program)";
inline constexpr std::string_view reasonLine = "Reason: {reason}";

// After the program stopped while it filed, or while the student typed.
inline constexpr std::string_view recoveredCompleted
    = "A record that could not be filed whole before (the program stopped, or a file could not be written) has now "
      "been completed in: {files}.";
inline constexpr std::string_view recoveredLeftAlone
    = "These files no longer held what that record expected, so they were left as they are; look at their ends "
      "before you send them: {files}.";
inline constexpr std::string_view draftRestored
    = "Your words from last time, which were not filed, are back in the answer box.";
inline constexpr std::string_view draftRestoredFrom
    = "Your words typed on {date} at {time} for assignment {assignment}, {block}, were not filed. They are kept for "
      "that block: they come back into the answer box when you page on to {block}, to be filed with it.";
inline constexpr std::string_view draftRestoredHere
    = "Your words typed on {date} at {time} for assignment {assignment}, {block}, were not filed; they are back in "
      "the answer box.";
inline constexpr std::string_view draftBack
    = "Your words typed on {date} at {time} for {block}, which were not filed, are back in the answer box.";
inline constexpr std::string_view draftBackLine = "Your words for {block} are back in the answer box.";
inline constexpr std::string_view draftEmptied
    = "Words from last time were kept beside your files, but the disk did not keep them: the draft holds only NUL "
      "bytes. There are no words to put back into the answer box, and the draft was removed.\n\nFile: {file}";
inline constexpr std::string_view draftKeptForAssignment
    = "Words you typed on {date} at {time} for assignment {assignment}, {block}, were not filed. They are kept for "
      "that assignment: start the program with assignment {assignment} to get them back.";
inline constexpr std::string_view blockQuestion = "question {number}";
inline constexpr std::string_view blockAnswer = "the worked answer to question {number}";
inline constexpr std::string_view blockBeforeQuestions = "before its first question";
inline constexpr std::string_view wordsBackHeldIn
    = "Your words from that record are back in the answer box. {files} already hold them: filing them again puts "
      "them there a second time.";
inline constexpr std::string_view wordsBackHeldNowhere
    = "Your words from that record are back in the answer box; none of your files holds them.";
inline constexpr std::string_view draftNotKept
    = "The words you type are not being kept safe: the program cannot save them beside your files, so if the "
      "program or the computer stops they are lost. File them (or copy them elsewhere) soon. This is shown until "
      "the words can be saved again.";
inline constexpr std::string_view draftNotKeptLine = "Your words are not being kept safe: they cannot be saved.";
inline constexpr std::string_view draftNotRemoved
    = "Words that left the answer box are still kept beside your files: the program cannot remove them, so they "
      "may come back the next time the program starts. This is shown until they can be removed.";
inline constexpr std::string_view draftNotRemovedLine
    = "Words that left the answer box may come back: they cannot be removed.";

// The viewers and the window.
inline constexpr std::string_view notesNotShown
    = "Your notes cannot be shown: there are no notes yet, or the notes file cannot be read.";
inline constexpr std::string_view sendFileNotShown = "Today's send file cannot be shown.";
inline constexpr std::string_view clipboardUnusable = "The picture could not be copied: the clipboard cannot be used.";
inline constexpr std::string_view pictureNotCopied = "The picture could not be copied: {reason}";
inline constexpr std::string_view pictureNotReadBack = "The picture could not be read back from the clipboard.";
inline constexpr std::string_view somethingWentWrong = "Something went wrong: {reason}";

// What a screen reader says of the window's controls beside their names, and news of a filing.
inline constexpr std::string_view inertControl = "not used by this program";
inline constexpr std::string_view answerBoxHelp = "F6: the newest block in the question box";
inline constexpr std::string_view questionBoxHelp = "F6: back to the answer box";
inline constexpr std::string_view picture1Description = "the circles \"pend exp\" draws";
inline constexpr std::string_view picture2Description = "the picture \"copy picture\" copies from picture box 1";
inline constexpr std::string_view responseFiledNews = "Your response was filed.";
inline constexpr std::string_view noteFiledNews = "Your note was filed.";
inline constexpr std::string_view responseCompletedNews = "Your response is now whole in every file.";
inline constexpr std::string_view noteCompletedNews = "Your note is now whole in every file.";

// Every text above by its name, for the file the journeys read.
inline constexpr std::pair<std::string_view, std::string_view> all[] = {
    { "courseTitle", courseTitle },
    { "defaultFolder", defaultFolder },
    { "namePrompt", namePrompt },
    { "folderQuestion", folderQuestion },
    { "pathPrompt", pathPrompt },
    { "assignmentPrompt", assignmentPrompt },
    { "responsePrompt", responsePrompt },
    { "confidencePrompt", confidencePrompt },
    { "selfCritiquePrompt", selfCritiquePrompt },
    { "openingSeparator", openingSeparator },
    { "closingSeparator", closingSeparator },
    { "assignmentLine", assignmentLine },
    { "questionNumberMarker", questionNumberMarker },
    { "responseLine", responseLine },
    { "notesEntry", notesEntry },
    { "confidenceLine", confidenceLine },
    { "selfCritiqueLine", selfCritiqueLine },
    { "masterFile", masterFile },
    { "sendFile", sendFile },
    { "notesFile", notesFile },
    { "journalFile", journalFile },
    { "draftFile", draftFile },
    { "draftLockFile", draftLockFile },
    { "lockFile", lockFile },
    { "nextQuestionCaption", nextQuestionCaption },
    { "enterResponseCaption", enterResponseCaption },
    { "saveAsNotesCaption", saveAsNotesCaption },
    { "noSuchAssignment", noSuchAssignment },
    { "nameAgainPrompt", nameAgainPrompt },
    { "nameHoldsCharacter", nameHoldsCharacter },
    { "nameTooLong", nameTooLong },
    { "nameTooLongInBytes", nameTooLongInBytes },
    { "folderAgainPrompt", folderAgainPrompt },
    { "headingRecord", headingRecord },
    { "responseRecord", responseRecord },
    { "noteRecord", noteRecord },
    { "notSaved", notSaved },
    { "notSavedWhole", notSavedWhole },
    { "holdsWhole", holdsWhole },
    { "holdsPart", holdsPart },
    { "holdsNothing", holdsNothing },
    { "willComplete", willComplete },
    { "recoveredCompleted", recoveredCompleted },
    { "recoveredLeftAlone", recoveredLeftAlone },
    { "draftRestored", draftRestored },
    { "draftRestoredFrom", draftRestoredFrom },
    { "draftRestoredHere", draftRestoredHere },
    { "draftBack", draftBack },
    { "draftBackLine", draftBackLine },
    { "draftEmptied", draftEmptied },
    { "draftKeptForAssignment", draftKeptForAssignment },
    { "blockQuestion", blockQuestion },
    { "blockAnswer", blockAnswer },
    { "blockBeforeQuestions", blockBeforeQuestions },
    { "wordsBackHeldIn", wordsBackHeldIn },
    { "wordsBackHeldNowhere", wordsBackHeldNowhere },
    { "draftNotKept", draftNotKept },
    { "draftNotKeptLine", draftNotKeptLine },
    { "draftNotRemoved", draftNotRemoved },
    { "draftNotRemovedLine", draftNotRemovedLine },
    { "checkHeadingFolder", checkHeadingFolder },
    { "wordsKept", wordsKept },
    { "wordsKeptBusy", wordsKeptBusy },
    { "wordsKeptFileHeld", wordsKeptFileHeld },
    { "headingFileHeld", headingFileHeld },
    { "fileInUse", fileInUse },
    { "closeTheFile", closeTheFile },
    { "fileReadOnly", fileReadOnly },
    { "makeWritable", makeWritable },
    { "headingBusy", headingBusy },
    { "waitingForOtherCopy", waitingForOtherCopy },
    { "nowWhole", nowWhole },
    { "fileLine", fileLine },
    { "programsName", programsName },
    { "reasonLine", reasonLine },
    { "notesNotShown", notesNotShown },
    { "sendFileNotShown", sendFileNotShown },
    { "clipboardUnusable", clipboardUnusable },
    { "pictureNotCopied", pictureNotCopied },
    { "pictureNotReadBack", pictureNotReadBack },
    { "somethingWentWrong", somethingWentWrong },
    { "inertControl", inertControl },
    { "answerBoxHelp", answerBoxHelp },
    { "questionBoxHelp", questionBoxHelp },
    { "picture1Description", picture1Description },
    { "picture2Description", picture2Description },
    { "responseFiledNews", responseFiledNews },
    { "noteFiledNews", noteFiledNews },
    { "responseCompletedNews", responseCompletedNews },
    { "noteCompletedNews", noteCompletedNews },
};

} // namespace tolvanex::texts
