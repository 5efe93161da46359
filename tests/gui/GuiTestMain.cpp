// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
#ifndef _WIN32
    // Headless unless told otherwise. Qt for Windows has no offscreen platform: there the tests run
    // on Windows' own, in an X server under Wine.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName("tolvanex");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
