// The About box: the splash's minimum time on a fake clock, and OK closing at once.
#include "app/TAboutBox.h"
#include "widgets/TPanel.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A clock that only moves when the hold waits one round.
struct FakeClock {
    quint32 now = 0;
    quint32 step = 500;
    int rounds = 0;
    bool busyDuringHold = true;

    void attach(TAboutBox& box) {
        box.SetTickSource([this] { return now; });
        box.SetHoldPump([this, &box] {
            ++rounds;
            busyDuringHold = busyDuringHold && box.cursor().shape() == Qt::WaitCursor &&
                             box.Panel1->cursor().shape() == Qt::WaitCursor;
            now += step;
        });
    }
};

} // namespace

TEST(TAboutBox, SplashStaysUntilItsMinimumTimeAcrossTheTickWrap) {
    TAboutBox box;
    FakeClock clock;
    clock.attach(box);
    clock.now = 0xFFFFF000u; // 4096 ms before the tick count wraps
    box.ShowSplash();
    EXPECT_TRUE(box.isVisible());
    EXPECT_TRUE(box.LabelTemp->isVisible());
    EXPECT_EQ(box.LabelTemp->text(), QStringLiteral("Chargement de l'application ..."));
    EXPECT_FALSE(box.OKButton->isVisible());
    EXPECT_EQ(box.ShowTick, 0xFFFFF000u);

    clock.now += 1000; // start-up took a second
    box.CloseSplash();
    // Held until more than 4000 ms had passed: 1000 + 7 x 500 = 4500.
    EXPECT_EQ(clock.rounds, 7);
    EXPECT_EQ(clock.now, 0xFFFFF000u + 4500u);
    EXPECT_FALSE(box.isVisible());
    EXPECT_TRUE(clock.busyDuringHold);
    EXPECT_EQ(box.cursor().shape(), Qt::ArrowCursor);
}

TEST(TAboutBox, SlowStartUpClosesTheSplashAtOnce) {
    TAboutBox box;
    FakeClock clock;
    clock.attach(box);
    clock.now = 123456;
    box.ShowSplash();
    clock.now += 4001;
    box.CloseSplash();
    EXPECT_EQ(clock.rounds, 0);
    EXPECT_FALSE(box.isVisible());

    // Exactly 4000 ms is not enough: the difference must exceed it.
    box.ShowSplash();
    clock.now += 4000;
    box.CloseSplash();
    EXPECT_EQ(clock.rounds, 1);
}

TEST(TAboutBox, OkClosesTheAboutDialogAtOnce) {
    TAboutBox box;
    FakeClock clock;
    clock.attach(box);
    clock.now = 50000;
    box.SetAboutMode();
    box.show(); // as the modal dialog shows it
    EXPECT_EQ(box.ShowTick, 50000u);
    EXPECT_FALSE(box.LabelTemp->isVisible());
    ASSERT_TRUE(box.OKButton->isVisible());
    EXPECT_TRUE(box.OKButton->isDefault());

    QTest::mouseClick(box.OKButton, Qt::LeftButton);
    EXPECT_EQ(clock.rounds, 0);
    EXPECT_EQ(box.ShowTick, 0u);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);

    // Escape does not close it: there is no Cancel button.
    box.show();
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_TRUE(box.isVisible());
    QTest::keyClick(box.OKButton, Qt::Key_Return);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(clock.rounds, 0);
}

TEST(TAboutBox, Layout) {
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("A propos"));
    EXPECT_EQ(box.size(), QSize(298, 173));
    EXPECT_EQ(box.Panel1->geometry(), QRect(8, 8, 281, 121));
    EXPECT_EQ(box.ProductName->text(), QStringLiteral("Aevorium"));
    EXPECT_EQ(box.Version->text(), QStringLiteral("Version 2 beta test"));
    EXPECT_EQ(box.OKButton->geometry(), QRect(111, 140, 75, 25));
    EXPECT_FALSE(box.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(box.windowFlags() & Qt::WindowSystemMenuHint);
}
