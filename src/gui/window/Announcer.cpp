// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/Announcer.h"

#include <QAccessibleWidget>

namespace tolvanex {
namespace {

QAccessibleInterface* accessibleAnnouncer(const QString& className, QObject* object)
{
    if (className != QLatin1String(Announcer::staticMetaObject.className()) || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Notification);
}

} // namespace

Announcer::Announcer(QWidget* parent)
    : QWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleAnnouncer);
        return true;
    }();
    (void)installed;
    setObjectName("announcer");
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 0, 0);
    hide();
}

void Announcer::announce(const QString& words)
{
    hide();
    setAccessibleName(words);
    show();
}

void Announcer::quiet()
{
    hide();
    setAccessibleName(QString());
}

} // namespace tolvanex
