// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Services that need the windowing toolkit.

#include "core/platform/Services.h"

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;

namespace tolvanex {

// The modal input box: the prompt text, wrapped, with OK and Cancel beside it and an empty edit
// field below; the window title is the application's own.
class PromptDialog : public QDialog {
    Q_OBJECT
public:
    explicit PromptDialog(const QString& prompt, QWidget* parent = nullptr);
    QString text() const;

private:
    QLabel* m_label;
    QLineEdit* m_edit;
};

class QtPrompter : public Prompter {
public:
    std::optional<std::string> ask(const std::string& prompt) override;
};

class QtMessageService : public MessageService {
public:
    void showMessage(const std::string& text) override;
    // A busy cursor, and the text after the program's window's title, until endWaiting().
    void showWaiting(const std::string& text) override;
    void endWaiting() override;

private:
    QPointer<QWidget> m_waitingWindow;
    QString m_title;
};

class QtBeeper : public Beeper {
public:
    void beep() override;
};

// The system clipboard as the picture boxes use it.
class PictureClipboard {
public:
    virtual ~PictureClipboard() = default;
    // False when the clipboard cannot be used.
    virtual bool putPicture(const QImage& picture) = 0;
    // The picture the clipboard holds; an empty image when it holds none.
    virtual std::optional<QImage> getPicture() = 0;
};

class QtClipboard : public PictureClipboard {
public:
    bool putPicture(const QImage& picture) override;
    std::optional<QImage> getPicture() override;
};

class QtProgramExit : public ProgramExit {
public:
    void exitProgram() override;
};

} // namespace tolvanex
