#include "app/platform/quit_signals.h"

#include <QTest>
#include <csignal>

class QuitSignalsTest : public QObject {
  Q_OBJECT

 private slots:
  void eachSignalReachesTheUserInterfaceThread_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
    QTest::newRow("SIGINT") << SIGINT;
  }
  void eachSignalReachesTheUserInterfaceThread() {
    QFETCH(int, signal);
    QList<int> told;
    QuitSignalNotifier notifier([&told](int caught) { told << caught; });
    QVERIFY(notifier.IsCatching());
    // Without the notifier this would end the test program.
    QCOMPARE(std::raise(signal), 0);
    QCOMPARE(told, QList<int>{});  // not inside the handler: from the event loop
    QTRY_COMPARE(told, QList<int>{signal});
  }

  void signalsInARowAreToldOnceWithTheLast() {
    QList<int> told;
    QuitSignalNotifier notifier([&told](int caught) { told << caught; });
    std::raise(SIGHUP);
    std::raise(SIGTERM);
    QTRY_VERIFY(!told.isEmpty());
    QTest::qWait(50);
    QCOMPARE(told, QList<int>{SIGTERM});
  }

  void theEarlierHandlingComesBackAndOneNotifierCatchesAtATime() {
    struct sigaction before {};
    sigaction(SIGTERM, nullptr, &before);
    {
      QList<int> first, second;
      QuitSignalNotifier catching([&first](int caught) { first << caught; });
      QuitSignalNotifier other([&second](int caught) { second << caught; });
      QVERIFY(catching.IsCatching());
      QVERIFY(!other.IsCatching());
      std::raise(SIGINT);
      QTRY_COMPARE(first, QList<int>{SIGINT});
      QCOMPARE(second, QList<int>{});
      struct sigaction during {};
      sigaction(SIGTERM, nullptr, &during);
      QVERIFY(during.sa_handler != before.sa_handler);
    }
    struct sigaction after {};
    sigaction(SIGTERM, nullptr, &after);
    QVERIFY(after.sa_handler == before.sa_handler);
    // With the first gone, a new one catches.
    QList<int> told;
    QuitSignalNotifier again([&told](int caught) { told << caught; });
    QVERIFY(again.IsCatching());
    std::raise(SIGTERM);
    QTRY_COMPARE(told, QList<int>{SIGTERM});
  }
};

QTEST_GUILESS_MAIN(QuitSignalsTest)
#include "quit_signals_test.moc"
