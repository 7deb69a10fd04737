// The arrangement rules on their own: which cell each view is in and the sizes asked for.
#include "app/arrangement.h"

#include <QTest>

using namespace vellary::app;

class ArrangementTest : public QObject {
  Q_OBJECT

 private slots:
  void repeatedChoiceSwapsAndSwapsBack() {
    ArrangementState s;
    QVERIFY(s.choose(SideBySide));
    QCOMPARE(s.textCell(), (Cell{0, 1}));
    QCOMPARE(s.imageCell(), (Cell{0, 0}));
    QVERIFY(s.choose(SideBySide));
    QCOMPARE(s.textCell(), (Cell{0, 0}));
    QCOMPARE(s.imageCell(), (Cell{0, 1}));
  }

  void fullSizeTwiceFromStackedThenStackedKeepsTheSwap() {
    ArrangementState s;
    s.choose(Stacked);
    QCOMPARE(s.imageCell(), (Cell{1, 0}));
    s.choose(FullSize);
    QCOMPARE(s.previous, int(Stacked));
    QCOMPARE(s.textCell(), (Cell{0, 0}));  // the text view fills the area
    s.choose(FullSize);
    QCOMPARE(s.imageCell(), (Cell{0, 0}));  // now the image view is in front
    s.choose(Stacked);
    QCOMPARE(s.arrangement, int(Stacked));
    QCOMPARE(s.imageCell(), (Cell{0, 0}));
    QCOMPARE(s.textCell(), (Cell{1, 0}));
  }

  void fullSizeAfterSideBySideReturnsToRowZero() {
    ArrangementState s;
    s.choose(FullSize);
    QVERIFY(!s.alongColumn());
    s.choose(Stacked);
    QVERIFY(s.alongColumn());
    QCOMPARE(s.textCell(), (Cell{0, 0}));
    QCOMPARE(s.imageCell(), (Cell{1, 0}));
  }

  void forcedModesIgnoreEveryArrangement() {
    for (vellary::appcore::TextDisplay mode :
         {vellary::appcore::TextDisplay::FlowHorizontal, vellary::appcore::TextDisplay::FlowVertical}) {
      ArrangementState s;
      s.textDisplay = mode;
      for (int a : {SideBySide, Stacked, FullSize}) QVERIFY(!s.choose(a));
      QCOMPARE(s.arrangement, int(SideBySide));
      QCOMPARE(s.textPane, 0);
    }
  }

  void sizesForEachArrangement() {
    ArrangementState s;
    QCOMPARE(*layoutSizes(s, 800, 600, 4), (PaneSizes{396, 400, 596, 0}));
    s.choose(Stacked);
    QCOMPARE(*layoutSizes(s, 800, 600, 4), (PaneSizes{796, 0, 296, 300}));
    s.choose(FullSize);
    QCOMPARE(*layoutSizes(s, 800, 600, 4), (PaneSizes{796, 0, 596, 0}));
  }

  void forcedModeGivesTheWholeAreaToTheTextViewWhereverItIs() {
    ArrangementState s;
    s.choose(SideBySide);  // text view now in column 1
    s.textDisplay = vellary::appcore::TextDisplay::FlowVertical;
    QCOMPARE(*layoutSizes(s, 800, 600, 4), (PaneSizes{0, 796, 596, 0}));
  }

  void tooSmallAreaKeepsTheSizes() {
    ArrangementState s;
    QVERIFY(!layoutSizes(s, 27, 600, 4));  // half of it less the handle is below 10 pixels
    QVERIFY(layoutSizes(s, 28, 600, 4));
    s.choose(Stacked);
    QVERIFY(!layoutSizes(s, 800, 27, 4));
  }
};

QTEST_GUILESS_MAIN(ArrangementTest)
#include "arrangement_test.moc"
