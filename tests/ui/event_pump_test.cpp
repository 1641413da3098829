// The pump, the quit request and the exit-handler list.
#include "ui/event_pump.h"

#include <QCoreApplication>
#include <QTest>
#include <vector>

#include "cipher/text_cipher.h"
#include "ui/exit_handlers.h"

namespace {

// One look at the toolkit, whatever the call counter stands at.
void PumpOnce() {
  for (int i = 0; i < ui::pump_detail::kCallsPerClockCheck; ++i) ui::ProcessPendingInput();
}

std::vector<char> ran;
void HandlerA() {
  ran.push_back('A');
}
void HandlerB() {
  ran.push_back('B');
}
void RegistersAnother() {
  ran.push_back('R');
  ui::RegisterExitHandler(HandlerB);
}

}  // namespace

class EventPumpTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { ui::SetPumpLookInterval(std::chrono::microseconds(0)); }

  void nothingPendingReturns() { PumpOnce(); }

  // What the handled events give rise to is handled in the same call.
  void handlesPendingEventsAndTheirFollowers() {
    std::vector<int> handled;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
          handled.push_back(1);
          QMetaObject::invokeMethod(
              QCoreApplication::instance(),
              [&] {
                handled.push_back(2);
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(), [&] { handled.push_back(3); },
                    Qt::QueuedConnection);
              },
              Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    PumpOnce();
    QCOMPARE(handled, (std::vector<int>{1, 2, 3}));
  }

  void looksOnlyWhenTheIntervalHasPassed() {
    ui::SetPumpLookInterval(std::chrono::hours(1));
    bool handled = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { handled = true; }, Qt::QueuedConnection);
    PumpOnce();
    PumpOnce();
    QVERIFY(!handled);
    ui::SetPumpLookInterval(std::chrono::microseconds(0));
    PumpOnce();
    QVERIFY(handled);
  }

  // The decoder hands over a block's calls at once; they must count exactly
  // like that many single calls, looks at the toolkit included.
  void bulkCallsCountLikeSingleCalls() {
    using ui::pump_detail::callsUntilClockCheck;
    for (std::size_t calls : {0u, 1u, 99u, 100u, 101u, 4196u, 4197u, 10000u}) {
      callsUntilClockCheck = 100;
      for (std::size_t i = 0; i < calls; ++i) ui::ProcessPendingInput();
      const int afterSingleCalls = callsUntilClockCheck;
      callsUntilClockCheck = 100;
      ui::ProcessPendingInput(calls);
      QCOMPARE(callsUntilClockCheck, afterSingleCalls);
    }

    bool handled = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { handled = true; }, Qt::QueuedConnection);
    callsUntilClockCheck = 100;
    ui::ProcessPendingInput(99);
    QVERIFY(!handled);
    ui::ProcessPendingInput(1);
    QVERIFY(handled);
  }

  void exitHandlersRunOnceInOrder() {
    ran.clear();
    ui::RegisterExitHandler(HandlerA);
    ui::RegisterExitHandler(RegistersAnother);
    ui::RegisterExitHandler(HandlerA);  // already there: changes nothing
    ui::RunExitHandlers();
    QCOMPARE(ran, (std::vector<char>{'A', 'R'}));
    ran.clear();
    ui::RunExitHandlers();  // the list was emptied; B came too late for that run
    QCOMPARE(ran, (std::vector<char>{'B'}));
    ran.clear();
    ui::RunExitHandlers();
    QVERIFY(ran.empty());

    ui::RegisterExitHandler(HandlerA);
    ui::ClearExitHandlers();
    ui::RunExitHandlers();
    QVERIFY(ran.empty());
  }

  void releaseLastBuffers() {
    ui::ReleaseLastBuffers();  // both empty: nothing to release
    cipher::lastCipherBytes.assign(1000, 1);
    cipher::lastDecodedBytes.assign(2000, 2);
    ui::ReleaseLastBuffers();
    QCOMPARE(cipher::lastCipherBytes.capacity(), std::size_t{0});
    QCOMPARE(cipher::lastDecodedBytes.capacity(), std::size_t{0});
  }

  // Last: the quit request is program-wide and stays raised.
  void quitRequestIsLeftForTheEventLoop() {
    ui::RaiseQuitRequest(0);
    QVERIFY(!ui::pump_detail::QuitRequestPending());  // before the loop started: ignored

    ui::eventLoopStarted = true;
    ui::RaiseQuitRequest(0);
    QVERIFY(ui::pump_detail::QuitRequestPending());
    ui::RaiseQuitRequest(7);  // a second request changes nothing

    bool handled = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { handled = true; }, Qt::QueuedConnection);
    PumpOnce();
    QVERIFY(!handled);  // the pump returned at once
    QVERIFY(ui::pump_detail::QuitRequestPending());

    QCOMPARE(ui::RunEventLoop(), 0);  // takes the request, after what was queued
    QVERIFY(handled);
  }
};

QTEST_GUILESS_MAIN(EventPumpTest)
#include "event_pump_test.moc"
