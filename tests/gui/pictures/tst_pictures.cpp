// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The two picture boxes, the "pend exp" timer and "copy picture", checked on the pixels drawn.
#include "gui/pictures/PictureBox.h"
#include "gui/window/MainWindow.h"
#include "support/Fakes.h"
#include "support/SmallBank.h"
#include "support/WindowFakes.h"

#include <QProperty>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

namespace tolvanex {
namespace {

QImage filled(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

struct DarkPixels {
    std::vector<QPoint> points;
    QRect bounds;
};

DarkPixels darkPixels(const QImage& image)
{
    DarkPixels dark;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                dark.points.emplace_back(x, y);
                dark.bounds |= QRect(x, y, 1, 1);
            }
    return dark;
}

bool allWhite(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                return false;
    return true;
}

// Distance of a pixel's middle from the middle of the box. An outline drawn without smoothing
// strays up to a pixel and a half from the exact circle.
constexpr double kOutline = 1.5;

double fromMiddle(QPoint p, QSize box)
{
    return std::hypot(p.x() + 0.5 - box.width() / 2.0, p.y() + 0.5 - box.height() / 2.0);
}

// A started window over scripted services.
class Pictures : public ::testing::Test {
protected:
    Pictures()
        : window(h.windowServices(), testing::threeAssignments())
        , picture1(window.findChild<PictureBox*>("Picture1"))
        , picture2(window.findChild<PictureBox*>("Picture2"))
    {
    }
    void SetUp() override
    {
        ASSERT_NE(picture1, nullptr);
        ASSERT_NE(picture2, nullptr);
        h.replyAtStartUp("Student One", "2");
        ASSERT_TRUE(window.load());
        h.messages.shown.clear();
    }
    void click(const char* name)
    {
        auto* button = window.findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    // One tick, as the timer gives it.
    void tick() { ASSERT_TRUE(QMetaObject::invokeMethod(&window.pendExpTimer(), "timeout", Qt::DirectConnection)); }

    testing::FakeWindowServices h;
    testing::CountingBeeper& beeper = h.beeper;
    testing::FakeClipboard& clipboard = h.clipboard;
    testing::CountingExit& exit = h.exit;
    MainWindow window;
    PictureBox* picture1;
    PictureBox* picture2;
};

TEST_F(Pictures, BoxesAreWhiteWithAThousandByThousandScale)
{
    for (PictureBox* box : { picture1, picture2 }) {
        EXPECT_EQ(box->scaleWidth(), 1000);
        EXPECT_EQ(box->scaleHeight(), 1000);
        const QImage shown = box->grab().toImage();
        EXPECT_EQ(shown.size(), box->size());
        EXPECT_TRUE(allWhite(shown)) << box->objectName().toStdString();
    }
    EXPECT_EQ(picture1->size(), QSize(345, 225));
}

TEST_F(Pictures, NothingHappensBeforePendExp)
{
    const int draws = h.random.draws;
    const QTimer& timer = window.pendExpTimer();
    EXPECT_EQ(timer.objectName(), "tmr_pend_exp");
    EXPECT_EQ(timer.interval(), 15);
    EXPECT_FALSE(timer.isActive());
    EXPECT_TRUE(allWhite(picture1->drawing()));
    EXPECT_TRUE(allWhite(picture1->grab().toImage()));
    EXPECT_EQ(h.random.draws, draws);
    EXPECT_TRUE(beeper.drawsAtBeep.empty());
}

TEST_F(Pictures, EachTickBeepsThenDrawsOneValueAndOneCircleAroundTheMiddle)
{
    click("cmd_pend_exp");
    ASSERT_TRUE(window.pendExpTimer().isActive());
    EXPECT_EQ(window.pendExpTimer().interval(), 15);
    const int draws = h.random.draws;
    const QSize box = picture1->size();

    // r = 0.5: 250 units along the horizontal scale, 86.25 pixels, all of it inside the box.
    h.random.scripted = { 0.5f };
    tick();
    EXPECT_EQ(h.random.draws, draws + 1);
    ASSERT_EQ(beeper.drawsAtBeep, std::vector<int> { draws }); // the beep comes before the draw
    DarkPixels dark = darkPixels(picture1->drawing());
    ASSERT_FALSE(dark.points.empty());
    for (QPoint p : dark.points)
        EXPECT_NEAR(fromMiddle(p, box), 86.25, kOutline) << p.x() << "," << p.y();
    // Round on screen, centred on the middle of the 345 x 225 box.
    EXPECT_NEAR(dark.bounds.width(), dark.bounds.height(), 1);
    EXPECT_NEAR(dark.bounds.left() + dark.bounds.width() / 2.0, 172.5, 1.0);
    EXPECT_NEAR(dark.bounds.top() + dark.bounds.height() / 2.0, 112.5, 1.0);
    EXPECT_NEAR(dark.bounds.width(), 2 * 86.25, 2.0);

    // A second, smaller circle joins the first.
    h.random.scripted = { 0.2f };
    tick();
    EXPECT_EQ(h.random.draws, draws + 2);
    EXPECT_EQ(beeper.drawsAtBeep.size(), 2u);
    dark = darkPixels(picture1->drawing());
    int inner = 0, outer = 0;
    for (QPoint p : dark.points) {
        const double d = fromMiddle(p, box);
        if (std::abs(d - 0.2 * 500 * 0.345) <= kOutline)
            ++inner;
        else if (std::abs(d - 86.25) <= kOutline)
            ++outer;
        else
            ADD_FAILURE() << "stray pixel " << p.x() << "," << p.y();
    }
    EXPECT_GT(inner, 100);
    EXPECT_GT(outer, 300);
}

TEST_F(Pictures, TheLargestCircleStaysWithinFiveHundredUnits)
{
    click("cmd_pend_exp");
    const QSize box = picture1->size();
    // The largest value the generator gives, just below 1: 500 units are 172.5 pixels across, so
    // the top and bottom of the circle fall outside the box.
    h.random.scripted = { 1.0f - 1.0f / 16777216.0f };
    tick();
    const DarkPixels dark = darkPixels(picture1->drawing());
    ASSERT_FALSE(dark.points.empty());
    for (QPoint p : dark.points)
        EXPECT_LE(fromMiddle(p, box), 172.5 + kOutline);
    EXPECT_EQ(dark.bounds.left(), 0);
    EXPECT_GE(dark.bounds.right(), 344);
    EXPECT_EQ(dark.bounds.top(), 0);
}

TEST_F(Pictures, FurtherClicksKeepOneTimerAtTheSamePace)
{
    click("cmd_pend_exp");
    QTimer& timer = window.pendExpTimer();
    // A restart stops and starts the timer again, which its "active" property reports.
    int stopsAndStarts = 0;
    const QPropertyNotifier watch = timer.bindableActive().addNotifier([&stopsAndStarts] { ++stopsAndStarts; });
    click("cmd_pend_exp");
    click("cmd_pend_exp");
    EXPECT_EQ(stopsAndStarts, 0);
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 15);

    const int draws = h.random.draws;
    h.random.scripted = { 0.5f };
    tick();
    EXPECT_EQ(h.random.draws, draws + 1);
    EXPECT_EQ(beeper.drawsAtBeep.size(), 1u);
    for (QPoint p : darkPixels(picture1->drawing()).points)
        EXPECT_NEAR(fromMiddle(p, picture1->size()), 86.25, kOutline);
}

TEST_F(Pictures, TheDrawingSurvivesShowingAndRepainting)
{
    click("cmd_pend_exp");
    h.random.scripted = { 0.5f };
    tick();
    window.pendExpTimer().stop(); // no ticks of its own while the window is on screen
    window.show();
    picture1->update();
    picture1->repaint();
    window.repaint();
    const QImage shown = picture1->grab().toImage();
    ASSERT_EQ(shown.size(), picture1->size());
    const DarkPixels dark = darkPixels(shown);
    ASSERT_GT(dark.points.size(), 300u);
    for (QPoint p : dark.points)
        EXPECT_NEAR(fromMiddle(p, picture1->size()), 86.25, kOutline);
    // The whole window, painted again, has the circle at the box's place.
    const QImage whole = window.grab().toImage();
    for (QPoint p : dark.points)
        EXPECT_LT(qGray(whole.pixel(picture1->geometry().topLeft() + p)), 128);
    EXPECT_TRUE(allWhite(picture2->grab().toImage()));
    window.hide();
}

TEST_F(Pictures, CopyWithNoPictureChangesNothing)
{
    const QImage before = filled(10, 10, Qt::blue);
    const QImage onSecond = filled(20, 20, Qt::green);
    clipboard.held = before;
    picture2->setPicture(onSecond);
    click("cmd_copy_picture");
    click("cmd_copy_picture");
    EXPECT_EQ(clipboard.puts, 0);
    EXPECT_EQ(clipboard.held, before);
    EXPECT_EQ(picture2->picture(), onSecond);
    EXPECT_TRUE(h.messages.shown.empty());
    EXPECT_FALSE(window.hasEnded());
}

TEST_F(Pictures, CopyPutsTheAssignedPictureOnTheClipboardAndInTheSecondBox)
{
    click("cmd_pend_exp");
    h.random.scripted = { 0.1f, 0.3f };
    tick();
    tick();
    window.pendExpTimer().stop();
    QImage assigned = filled(40, 30, QColor(200, 30, 30));
    assigned.setPixel(39, 29, qRgb(1, 2, 3));
    picture1->setPicture(assigned);

    click("cmd_copy_picture");
    EXPECT_EQ(clipboard.held, assigned);
    EXPECT_EQ(picture2->picture(), assigned); // the circles are not part of it
    EXPECT_TRUE(allWhite(picture2->drawing()));
    const QImage shown = picture2->grab().toImage();
    EXPECT_EQ(shown.pixel(0, 0), qRgb(200, 30, 30));
    EXPECT_EQ(shown.pixel(39, 29), qRgb(1, 2, 3));
    EXPECT_EQ(shown.pixel(40, 30), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(172, 112), qRgb(255, 255, 255));
    // The first box still shows its circles over its picture.
    EXPECT_EQ(picture1->picture(), assigned);
    EXPECT_FALSE(darkPixels(picture1->drawing()).points.empty());

    // A second click leaves the same state.
    click("cmd_copy_picture");
    EXPECT_EQ(clipboard.held, assigned);
    EXPECT_EQ(picture2->picture(), assigned);
    EXPECT_EQ(picture2->grab().toImage(), shown);
    EXPECT_TRUE(h.messages.shown.empty());
}

TEST_F(Pictures, AClipboardThatCannotBeUsedGivesAMessageAndTheProgramGoesOn)
{
    const QImage assigned = filled(8, 8, Qt::red);
    const QImage onSecond = filled(20, 20, Qt::green);
    picture1->setPicture(assigned);
    picture2->setPicture(onSecond);

    clipboard.refusePut = true;
    click("cmd_copy_picture");
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.shown[0].find("clipboard"), std::string::npos);
    EXPECT_EQ(picture2->picture(), onSecond);

    clipboard.refusePut = false;
    clipboard.throwOnPut = true;
    click("cmd_copy_picture");
    ASSERT_EQ(h.messages.shown.size(), 2u);
    EXPECT_NE(h.messages.shown[1].find("locked by another program"), std::string::npos);
    EXPECT_EQ(picture2->picture(), onSecond);

    clipboard.throwOnPut = false;
    clipboard.unreadable = true;
    click("cmd_copy_picture");
    ASSERT_EQ(h.messages.shown.size(), 3u);
    EXPECT_NE(h.messages.shown[2].find("read back"), std::string::npos);
    EXPECT_EQ(picture2->picture(), onSecond);

    clipboard.unreadable = false;
    clipboard.losesPicture = true;
    click("cmd_copy_picture");
    ASSERT_EQ(h.messages.shown.size(), 4u);
    EXPECT_NE(h.messages.shown[3].find("read back"), std::string::npos);
    EXPECT_EQ(picture2->picture(), onSecond);

    EXPECT_FALSE(window.hasEnded());
    EXPECT_EQ(exit.exits, 0);
    // The window still works: a healthy clipboard now copies.
    clipboard.losesPicture = false;
    click("cmd_copy_picture");
    EXPECT_EQ(picture2->picture(), assigned);
    EXPECT_EQ(h.messages.shown.size(), 4u);
}

TEST(PictureBoxAlone, DrawsNothingBeforeItHasAScale)
{
    PictureBox box(nullptr);
    box.resize(100, 60);
    box.drawCircle(500, 500, 200);
    EXPECT_TRUE(allWhite(box.drawing()));
    box.setScale(1000, 1000);
    box.drawCircle(500, 500, 200);
    const DarkPixels dark = darkPixels(box.drawing());
    ASSERT_FALSE(dark.points.empty());
    for (QPoint p : dark.points)
        EXPECT_NEAR(fromMiddle(p, box.size()), 20.0, kOutline);
    // Made smaller and larger again, the box keeps its circle.
    box.resize(30, 30);
    box.show();
    box.resize(100, 60);
    EXPECT_EQ(darkPixels(box.drawing()).points, dark.points);
    box.hide();
}

} // namespace
} // namespace tolvanex
