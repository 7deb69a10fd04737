// Where the main window opens: a first start, a stored window larger than the screen or on a
// screen that is gone, and the page list's share of the window.
#include "appcore/window_placement.h"

#include <gtest/gtest.h>

#include "appcore/zoom_fit.h"

namespace vellary::appcore {
namespace {

const ScreenRect kScreen{0, 0, 1600, 1000};
const FrameMargins kFrame{2, 24, 2, 2};

WindowSettings storedAt(int x, int y, int width, int height) {
  WindowSettings w;
  w.x = x;
  w.y = y;
  w.width = width;
  w.height = height;
  return w;
}

bool inside(const ScreenRect& r, const ScreenRect& area, const FrameMargins& m) {
  return r.x - m.left >= area.x && r.y - m.top >= area.y &&
         r.x + r.width + m.right <= area.x + area.width &&
         r.y + r.height + m.bottom <= area.y + area.height;
}

TEST(WindowPlacement, AFirstStartTakesNineTenthsOfTheScreenCentred) {
  const ScreenRect r = fitWindow(WindowSettings{}, false, kScreen, kFrame);
  // The frame included, the window is 90 % of the area.
  EXPECT_EQ(r.width + kFrame.left + kFrame.right, 1440);
  EXPECT_EQ(r.height + kFrame.top + kFrame.bottom, 900);
  EXPECT_TRUE(inside(r, kScreen, kFrame));
  EXPECT_NEAR(r.x + r.width / 2, 800, 2);
  // A panel at the top: the available area is what counts.
  const ScreenRect belowPanel{0, 30, 1600, 970};
  const ScreenRect p = fitWindow(WindowSettings{}, false, belowPanel, kFrame);
  EXPECT_TRUE(inside(p, belowPanel, kFrame));
  EXPECT_EQ(p.height + kFrame.top + kFrame.bottom, 873);
}

TEST(WindowPlacement, AStoredWindowKeepsItsPlaceWhenItFits) {
  const WindowSettings w = storedAt(100, 80, 900, 700);
  EXPECT_EQ(fitWindow(w, true, kScreen, kFrame), (ScreenRect{100, 80, 900, 700}));
}

TEST(WindowPlacement, AStoredWindowLargerThanTheScreenIsCutToIt) {
  WindowSettings w = storedAt(0, 0, 2400, 1653);
  const ScreenRect r = fitWindow(w, true, kScreen, kFrame);
  EXPECT_TRUE(inside(r, kScreen, kFrame));
  EXPECT_EQ(r.width, 1600 - kFrame.left - kFrame.right);
  EXPECT_EQ(r.height, 1000 - kFrame.top - kFrame.bottom);
  // Partly off the screen: it slides back onto it, keeping its size.
  w = storedAt(1200, -300, 800, 600);
  const ScreenRect s = fitWindow(w, true, kScreen, kFrame);
  EXPECT_TRUE(inside(s, kScreen, kFrame));
  EXPECT_EQ(s.width, 800);
  EXPECT_EQ(s.height, 600);
}

TEST(WindowPlacement, AWindowOnAScreenThatIsGoneIsCentredOnThisOne) {
  // On the second screen of an earlier run.
  const WindowSettings w = storedAt(2000, 100, 1200, 900);
  const ScreenRect r = fitWindow(w, true, kScreen, kFrame);
  EXPECT_TRUE(inside(r, kScreen, kFrame));
  EXPECT_EQ(r.width, 1200);
  EXPECT_NEAR(r.x + r.width / 2, 800, 2);
}

TEST(WindowPlacement, NonsenseAndTinyScreensStillGiveAWindowThatFits) {
  WindowSettings w;
  w.width = -5;
  w.height = 0;
  const ScreenRect small{0, 0, 640, 400};
  const ScreenRect r = fitWindow(w, true, small, kFrame);
  EXPECT_TRUE(inside(r, small, kFrame));
  EXPECT_GT(r.width, 0);
  // A stored sliver grows to a usable size, as far as the screen allows.
  w.width = 10;
  w.height = 10;
  const ScreenRect g = fitWindow(w, true, small, kFrame);
  EXPECT_EQ(g.width, kSmallestWidth);
  EXPECT_EQ(g.height, kSmallestHeight);
  const ScreenRect tiny{0, 0, 300, 200};
  EXPECT_TRUE(inside(fitWindow(w, true, tiny, kFrame), tiny, kFrame));
}

TEST(WindowPlacement, ThePageListIsNarrow) {
  EXPECT_EQ(pageListWidth(-1, 180, 1400), 180);
  EXPECT_EQ(pageListWidth(250, 180, 1400), 250);
  // A width stored in a wide window never takes more than a third of a narrower one.
  EXPECT_EQ(pageListWidth(1200, 180, 1400), 466);
  EXPECT_EQ(pageListWidth(-1, 180, 300), 100);
}

TEST(ZoomFit, TheWidthOrTheWholePageFitsTheView) {
  // A4 at 400 dpi in a view of 700 × 800.
  const double width = *fitZoom(ZoomFit::Width, 3307, 4677, 700, 800, 16);
  // Taller than the view at that scale: the scroll bar's room is left.
  EXPECT_LE(static_cast<int>(3307 * width), 700 - 16);
  EXPECT_GE(static_cast<int>(3307 * width), 700 - 16 - 1);
  const double page = *fitZoom(ZoomFit::Page, 3307, 4677, 700, 800, 16);
  EXPECT_LE(static_cast<int>(4677 * page), 800);
  EXPECT_LE(static_cast<int>(3307 * page), 700);
  EXPECT_GE(static_cast<int>(4677 * page), 799);
  // A landscape page that fits by its width needs no scroll bar.
  const double wide = *fitZoom(ZoomFit::Width, 4000, 1000, 800, 800, 16);
  EXPECT_EQ(static_cast<int>(4000 * wide), 800);
}

TEST(ZoomFit, TheScaleStaysWithinTheSteps) {
  EXPECT_EQ(*fitZoom(ZoomFit::Width, 500, 700, 1600, 1000, 16), kLargestZoom);
  EXPECT_EQ(*fitZoom(ZoomFit::Page, 30000, 40000, 300, 300, 16), kSmallestZoom);
  EXPECT_FALSE(fitZoom(ZoomFit::None, 500, 700, 800, 800, 16).has_value());
  EXPECT_FALSE(fitZoom(ZoomFit::Page, 0, 700, 800, 800, 16).has_value());
  EXPECT_FALSE(fitZoom(ZoomFit::Width, 500, 700, 0, 800, 16).has_value());
}

}  // namespace
}  // namespace vellary::appcore
