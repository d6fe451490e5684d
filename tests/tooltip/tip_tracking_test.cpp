// The tooltip's tracking, tick by tick, through every row of its
// transition table, with a scripted pointer and a recording platform.
#include <gtest/gtest.h>

#include <set>

#include "tooltip/tip_tracking.h"

namespace vx::tooltip {
namespace {

constexpr WindowId kOwner = 10;
constexpr WindowId kOtherOwner = 11;
constexpr WindowId kBar = 20;
using Tip = TooltipTracker::Tip;

class FakePlatform : public TrackingPlatform {
public:
    TooltipTracker* tracker = nullptr;
    Point cursor{100, 100};
    WindowId under = kOwner;
    std::set<WindowId> timers;
    WindowId hooked = 0;
    bool makeWindow = true, showWindow = true;
    bool tipExists = false, tipHooked = false;
    int displays = 0, resets = 0;

    Point CursorPosition() override { return cursor; }
    WindowId WindowAt(Point) override { return under; }
    void StartTickTimer(WindowId w) override { timers.insert(w); }
    void StopTickTimer(WindowId w) override { timers.erase(w); }
    void HookOwner(WindowId w) override { hooked = w; }
    Display MakeAndShowTip() override {
        ++displays;
        tipExists = makeWindow;
        tipHooked = makeWindow && showWindow;
        return {makeWindow, tipHooked};
    }
    void DestroyTipWindow() override {
        tipExists = false;
        if (tipHooked) {
            tipHooked = false;
            tracker->OnTipDestroyed();
        }
    }
    void ResetProperties() override {
        ++resets;
        tracker->SetDelayTime(TooltipTracker::kDefaultDelayTime);
        tracker->SetKillTime(TooltipTracker::kDefaultKillTime);
    }
};

class TrackingTest : public testing::Test {
protected:
    TrackingTest() { platform_.tracker = &tracker_; }

    // ShowToolTip as the object runs it: every hook goes first.
    void Show(WindowId owner, std::int32_t delay = 2, std::int32_t kill = 500) {
        platform_.hooked = 0;
        platform_.tipHooked = false;
        tracker_.SetOwner(owner);
        tracker_.SetDelayTime(delay);
        tracker_.SetKillTime(kill);
        tracker_.StartTracking();
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) tracker_.OnTick();
    }
    // Ticks until the tooltip shows; returns how many it took (0: never).
    int TicksUntilShown(int limit) {
        for (int i = 1; i <= limit; ++i) {
            tracker_.OnTick();
            if (tracker_.Shown()) return i;
        }
        return 0;
    }
    // Armed, hovered and rested until the tooltip is on screen.
    void ShowingOn(WindowId owner, std::int32_t kill = 500) {
        Show(owner, 2, kill);
        tracker_.OnMouseMove();
        ASSERT_GT(TicksUntilShown(10), 0);
        ASSERT_EQ(tracker_.TipState(), Tip::Window);
    }

    FakePlatform platform_;
    TooltipTracker tracker_{platform_};
};

TEST_F(TrackingTest, ArmingHooksTheOwnerAndMakesItAlive) {
    EXPECT_FALSE(tracker_.Alive());
    Show(kOwner);
    EXPECT_EQ(platform_.hooked, kOwner);
    EXPECT_TRUE(tracker_.Alive());
    EXPECT_FALSE(tracker_.Tracking());
    EXPECT_TRUE(platform_.timers.empty());
    // A move over the owner starts the timer once.
    tracker_.OnMouseMove();
    tracker_.OnMouseMove();
    EXPECT_TRUE(tracker_.Tracking());
    EXPECT_EQ(platform_.timers, std::set<WindowId>{kOwner});
}

TEST_F(TrackingTest, ARestingPointerShowsTheTooltipAtTheFourthOrThirdTick) {
    Show(kOwner);
    tracker_.OnMouseMove();
    // The first tick sees the pointer move from where no tick saw it.
    EXPECT_EQ(TicksUntilShown(10), 4);
    EXPECT_EQ(tracker_.TipState(), Tip::Window);
    EXPECT_EQ(tracker_.TickCount(), 0);
    EXPECT_EQ(tracker_.CursorPos(), (Point{100, 100}));

    // Leave, then come back to where the last waiting tick saw the pointer.
    platform_.under = kBar;
    Ticks(1);
    EXPECT_EQ(tracker_.TipState(), Tip::None);
    // The window's end cleared Alive: the caller arms again.
    EXPECT_FALSE(tracker_.Alive());
    platform_.under = kOwner;
    Show(kOwner);
    tracker_.OnMouseMove();
    EXPECT_EQ(TicksUntilShown(10), 3);
}

TEST_F(TrackingTest, AMovingPointerNeverShowsItAPauseDoes) {
    Show(kOwner);
    tracker_.OnMouseMove();
    for (int i = 0; i < 50; ++i) {
        platform_.cursor.x += 1;
        tracker_.OnTick();
    }
    EXPECT_FALSE(tracker_.Shown());
    EXPECT_EQ(platform_.displays, 0);
    EXPECT_EQ(TicksUntilShown(10), 3);
}

TEST_F(TrackingTest, NotAliveWaitsWithoutShowing) {
    Show(kOwner);
    tracker_.SetAlive(false);
    tracker_.OnMouseMove();
    Ticks(4);
    EXPECT_EQ(platform_.displays, 0);
    EXPECT_FALSE(tracker_.Shown());
    EXPECT_EQ(tracker_.TickCount(), 0);
    EXPECT_TRUE(tracker_.Tracking());
}

TEST_F(TrackingTest, LeavingBeforeTheTooltipShowsResetsButStaysAlive) {
    Show(kOwner);
    tracker_.OnMouseMove();
    Ticks(2);
    platform_.under = kBar;
    tracker_.OnMouseMove();
    EXPECT_FALSE(tracker_.Tracking());
    Ticks(1);
    EXPECT_TRUE(platform_.timers.empty());
    EXPECT_EQ(platform_.resets, 1);
    EXPECT_EQ(tracker_.DelayTime(), TooltipTracker::kDefaultDelayTime);
    EXPECT_TRUE(tracker_.Alive());
    EXPECT_EQ(platform_.displays, 0);
}

TEST_F(TrackingTest, LeavingWhileShownHidesAndRearms) {
    ShowingOn(kOwner);
    platform_.under = kBar;
    Ticks(1);
    EXPECT_EQ(tracker_.TipState(), Tip::None);
    EXPECT_FALSE(platform_.tipExists);
    EXPECT_FALSE(tracker_.Alive());  // the hooked window reported its end
    EXPECT_FALSE(tracker_.Shown());
    EXPECT_TRUE(platform_.timers.empty());
    EXPECT_EQ(platform_.resets, 1);
}

TEST_F(TrackingTest, TheTooltipStaysKillTimeTicksThenIsSpentAndItsTimerStops) {
    ShowingOn(kOwner, 5);
    Ticks(5);
    EXPECT_EQ(tracker_.TipState(), Tip::Window);
    Ticks(1);
    EXPECT_EQ(tracker_.TipState(), Tip::Spent);
    EXPECT_FALSE(platform_.tipExists);
    EXPECT_FALSE(tracker_.Alive());
    EXPECT_EQ(platform_.resets, 1);
    // Spent while the pointer rests: the timer stops, and a stray tick of
    // another timer resets nothing; the tooltip does not come back.
    EXPECT_TRUE(platform_.timers.empty());
    Ticks(600);
    EXPECT_EQ(platform_.resets, 1);
    EXPECT_EQ(platform_.displays, 1);
    // Leaving and coming back costs one reset, not one per tick.
    platform_.under = kBar;
    tracker_.OnMouseMove();
    platform_.under = kOwner;
    tracker_.OnMouseMove();
    Ticks(3);
    EXPECT_EQ(platform_.resets, 2);
    EXPECT_TRUE(platform_.timers.empty());
    EXPECT_EQ(platform_.displays, 1);
}

TEST_F(TrackingTest, AClickAfterTheTooltipAppearedHidesItForTheRestOfTheHover) {
    ShowingOn(kOwner);
    tracker_.OnMouseActivate();
    EXPECT_EQ(tracker_.TipState(), Tip::Spent);
    EXPECT_TRUE(tracker_.Alive());
    EXPECT_FALSE(tracker_.Tracking());
    EXPECT_TRUE(platform_.timers.empty());
    EXPECT_EQ(platform_.resets, 1);
    tracker_.OnMouseMove();
    EXPECT_EQ(platform_.timers, std::set<WindowId>{kOwner});
    Ticks(20);
    EXPECT_EQ(platform_.displays, 1);
}

TEST_F(TrackingTest, AClickBeforeItShowsOnlyPostponesIt) {
    Show(kOwner);
    tracker_.OnMouseMove();
    Ticks(2);
    tracker_.OnMouseActivate();
    EXPECT_TRUE(tracker_.Alive());
    EXPECT_FALSE(tracker_.Tracking());
    EXPECT_EQ(tracker_.TipState(), Tip::None);
    tracker_.SetDelayTime(2);
    tracker_.OnMouseMove();
    EXPECT_GT(TicksUntilShown(10), 0);
}

TEST_F(TrackingTest, ShowToolTipOverAShownOrSpentTooltipClearsUpAndArmsTheNewOwner) {
    // Straight from one button onto the next while the first one's tooltip
    // shows: it goes at once and the next owner is armed in the same call.
    ShowingOn(kOwner);
    Show(kOtherOwner);
    EXPECT_EQ(tracker_.TipState(), Tip::None);
    EXPECT_FALSE(platform_.tipExists);
    EXPECT_TRUE(platform_.timers.empty());
    EXPECT_EQ(platform_.hooked, kOtherOwner);
    EXPECT_TRUE(tracker_.Alive());
    platform_.under = kOtherOwner;
    tracker_.OnMouseMove();
    EXPECT_GT(TicksUntilShown(10), 0);
    EXPECT_EQ(platform_.displays, 2);

    // Clicked while shown, then on to the next: armed as well.
    tracker_.OnMouseActivate();
    ASSERT_EQ(tracker_.TipState(), Tip::Spent);
    Show(kOwner);
    EXPECT_EQ(tracker_.TipState(), Tip::None);
    EXPECT_EQ(platform_.hooked, kOwner);
    platform_.under = kOwner;
    tracker_.OnMouseMove();
    EXPECT_GT(TicksUntilShown(10), 0);

    // Expired by its time: the next request arms at once too.
    ShowingOn(kOwner, 1);
    Ticks(2);
    ASSERT_EQ(tracker_.TipState(), Tip::Spent);
    EXPECT_FALSE(tracker_.Alive());
    Show(kOwner);
    EXPECT_TRUE(tracker_.Alive());
    EXPECT_EQ(platform_.hooked, kOwner);
}

TEST_F(TrackingTest, AFailedDisplayIsNotRetriedDuringTheHover) {
    platform_.makeWindow = false;
    Show(kOwner);
    tracker_.OnMouseMove();
    EXPECT_GT(TicksUntilShown(10), 0);
    EXPECT_EQ(tracker_.TipState(), Tip::None);
    Ticks(20);
    EXPECT_EQ(platform_.displays, 1);

    // A window made but never shown waits for the pointer to leave.
    platform_.makeWindow = true;
    platform_.showWindow = false;
    platform_.under = kBar;
    Ticks(1);
    Show(kOwner);
    platform_.under = kOwner;
    tracker_.OnMouseMove();
    EXPECT_GT(TicksUntilShown(10), 0);
    EXPECT_TRUE(platform_.tipExists);
    platform_.under = kBar;
    Ticks(1);
    EXPECT_FALSE(platform_.tipExists);
}

TEST_F(TrackingTest, AMoveOffTheOwnerStopsTrackingAndTheNextTickRearms) {
    Show(kOwner);
    tracker_.OnMouseMove();
    platform_.under = kBar;
    tracker_.OnMouseMove();
    EXPECT_FALSE(tracker_.Tracking());
    EXPECT_EQ(platform_.timers, std::set<WindowId>{kOwner});
    Ticks(1);
    EXPECT_TRUE(platform_.timers.empty());
}

TEST_F(TrackingTest, ATimerLeftOnAnEarlierOwnerStopsWhenTheOwnerChangesOrTheObjectGoes) {
    Show(kOwner);
    tracker_.OnMouseMove();
    EXPECT_EQ(platform_.timers, std::set<WindowId>{kOwner});
    Show(kOtherOwner);
    EXPECT_TRUE(platform_.timers.empty());
    tracker_.OnMouseMove();
    platform_.under = kOtherOwner;
    tracker_.OnMouseMove();
    EXPECT_EQ(platform_.timers, std::set<WindowId>{kOtherOwner});
    tracker_.Shutdown();
    EXPECT_TRUE(platform_.timers.empty());

    ShowingOn(kOtherOwner);
    tracker_.Shutdown();
    EXPECT_FALSE(platform_.tipExists);
    EXPECT_EQ(tracker_.TipState(), Tip::None);
}

}  // namespace
}  // namespace vx::tooltip
