// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/platform/QtServices.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvanex {
namespace {

// Runs a dialog over the window that opened it, which gets the keyboard back when the dialog
// closes, whether or not a window manager is there to give it back.
int execOver(QDialog& dialog)
{
    QWidget* owner = dialog.parentWidget();
    const int result = dialog.exec();
    if (owner)
        owner->activateWindow();
    return result;
}

// The window whose title shows a wait: the active one, unless that is a dialog or there is none
// just then (a rating prompt that has just closed leaves none until the system activates the
// window under it again), when it is the program's window that is shown.
QWidget* waitingWindow()
{
    QWidget* active = QApplication::activeWindow();
    if (active && active->isVisible() && !qobject_cast<QDialog*>(active))
        return active;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !qobject_cast<QDialog*>(window))
            return window;
    }
    return active;
}

} // namespace

PromptDialog::PromptDialog(const QString& prompt, QWidget* parent)
    : QDialog(parent)
    , m_label(new QLabel(this))
    , m_edit(new QLineEdit(this))
{
    setWindowTitle(QApplication::applicationName());
    setModal(true);
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setFixedWidth(300);
    m_label->setObjectName("prompt");
    m_edit->setObjectName("reply");
    // The reply field is labelled by the prompt, and named by it, so a screen reader reads the
    // prompt with the field. A buddy label would take "&" for a shortcut mark: it is doubled to show.
    m_label->setText(QString(prompt).replace('&', QStringLiteral("&&")));
    m_label->setBuddy(m_edit);
    m_edit->setAccessibleName(prompt);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_label, 0, 0);
    grid->addWidget(buttons, 0, 1, Qt::AlignTop);
    grid->addWidget(m_edit, 1, 0, 1, 2);
    grid->setRowStretch(0, 1);
    setSizeGripEnabled(false);
    m_edit->setFocus();
}

QString PromptDialog::text() const
{
    return m_edit->text();
}

std::optional<std::string> QtPrompter::ask(const std::string& prompt)
{
    PromptDialog dialog(QString::fromStdString(prompt), QApplication::activeWindow());
    if (execOver(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.text().toStdString();
}

void QtMessageService::showMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), QString::fromStdString(text),
        QMessageBox::Ok, QApplication::activeWindow());
    execOver(box);
}

void QtMessageService::showWaiting(const std::string& text)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_waitingWindow = waitingWindow();
    if (m_waitingWindow) {
        m_title = m_waitingWindow->windowTitle();
        m_waitingWindow->setWindowTitle(m_title + " - " + QString::fromStdString(text));
    }
    // The cursor and the title reach the screen now, before the wait (no input is taken meanwhile).
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtMessageService::endWaiting()
{
    QApplication::restoreOverrideCursor();
    if (m_waitingWindow)
        m_waitingWindow->setWindowTitle(m_title);
    m_waitingWindow = nullptr;
}

void QtBeeper::beep()
{
    QApplication::beep();
}

bool QtClipboard::putPicture(const QImage& picture)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setImage(picture);
    return true;
}

std::optional<QImage> QtClipboard::getPicture()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return std::nullopt;
    return clipboard->image();
}

void QtProgramExit::exitProgram()
{
    QCoreApplication::exit(0);
}

} // namespace tolvanex
