// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window's own service, the clipboard, as a stand-in; and every service of the window together.

#include "gui/platform/QtServices.h"
#include "gui/window/MainWindow.h"
#include "support/Fakes.h"

#include <QImage>

#include <stdexcept>

namespace tolvanex::testing {

// A clipboard that holds what it is given, or fails as a test tells it to.
class FakeClipboard : public PictureClipboard {
public:
    bool putPicture(const QImage& picture) override
    {
        ++puts;
        if (throwOnPut)
            throw std::runtime_error("the clipboard is locked by another program");
        if (refusePut)
            return false;
        held = picture;
        return true;
    }
    std::optional<QImage> getPicture() override
    {
        ++gets;
        if (unreadable)
            return std::nullopt;
        if (losesPicture)
            return QImage();
        return held;
    }

    QImage held;
    bool refusePut = false;
    bool throwOnPut = false;
    bool unreadable = false;
    bool losesPicture = false; // takes the picture and then holds none
    int puts = 0;
    int gets = 0;
};

struct FakeWindowServices : FakeServices {
    WindowServices windowServices() { return { services(), clipboard }; }
    FakeClipboard clipboard;
};

} // namespace tolvanex::testing
