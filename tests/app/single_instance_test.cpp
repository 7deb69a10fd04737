// One editor per user: the second claimant is turned away and the first is asked to come forward.
#include "app/single_instance.h"

#include <QApplication>
#include <QTest>
#include <QUuid>

int runProgressTests(int argc, char** argv);

using vellary::app::SingleInstance;

class SingleInstanceTest : public QObject {
  Q_OBJECT

 private slots:
  void secondClaimIsRefusedAndRaisesTheFirst() {
    const QString name =
        QStringLiteral("vellary-test-") + QUuid::createUuid().toString(QUuid::Id128);
    SingleInstance first(name);
    int raised = 0;
    QVERIFY(first.claim([&] { ++raised; }));
    SingleInstance second(name);
    QVERIFY(!second.claim([] {}));
    QTRY_COMPARE(raised, 1);
  }

  void aStaleNameIsTakenOver() {
    const QString name =
        QStringLiteral("vellary-test-") + QUuid::createUuid().toString(QUuid::Id128);
    {
      SingleInstance gone(name);
      QVERIFY(gone.claim([] {}));
    }
    SingleInstance next(name);
    QVERIFY(next.claim([] {}));
  }

  void nameIsPerUser() {
    QVERIFY(vellary::app::instanceName().startsWith(QStringLiteral("hCorrixPrevInstance-")));
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SingleInstanceTest t;
  const int a = QTest::qExec(&t, argc, argv);
  return a | runProgressTests(argc, argv);
}

#include "single_instance_test.moc"
