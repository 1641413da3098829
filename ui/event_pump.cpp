#include "ui/event_pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QThread>

namespace ui {

bool eventLoopStarted = false;

namespace {

using Clock = std::chrono::steady_clock;

bool quitPending = false;
int quitExitCode = 0;
QPointer<QEventLoop> mainLoop;

std::chrono::microseconds lookInterval{2000};
Clock::time_point lastLook{};  // long ago: the first call looks at once

// A round handles what is pending and what that gives rise to; the cap
// keeps a stream of self-renewing events from holding the decode forever.
constexpr int kMaxRoundsPerLook = 64;

const QEvent::Type kQuitRequestType = static_cast<QEvent::Type>(QEvent::registerEventType());

// Receives the posted quit request. It only flags the main loop, which
// leaves once control is back with it, never inside a handler.
class QuitRequestCarrier : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() != kQuitRequestType) return QObject::event(event);
    if (mainLoop) mainLoop->exit(quitExitCode);
    return true;
  }
};

QuitRequestCarrier& Carrier() {
  static QuitRequestCarrier* const carrier = new QuitRequestCarrier;  // lives to the end
  return *carrier;
}

}  // namespace

void RaiseQuitRequest(int exitCode) {
  if (!eventLoopStarted || quitPending) return;
  quitPending = true;
  quitExitCode = exitCode;
  QCoreApplication::postEvent(&Carrier(), new QEvent(kQuitRequestType), Qt::LowEventPriority);
}

int RunEventLoop() {
  QEventLoop loop;
  mainLoop = &loop;
  // A request that arrived before the loop started is already in the queue.
  loop.exec();
  mainLoop = nullptr;
  return quitExitCode;
}

void SetPumpLookInterval(std::chrono::microseconds interval) {
  lookInterval = interval;
}

namespace pump_detail {

bool QuitRequestPending() {
  return quitPending;
}

void LookIfDue() {
  callsUntilClockCheck = kCallsPerClockCheck;
  if (quitPending) return;
  if (Clock::now() - lastLook < lookInterval) return;

  QAbstractEventDispatcher* const dispatcher = QThread::currentThread()->eventDispatcher();
  if (dispatcher != nullptr) {
    for (int round = 0; round < kMaxRoundsPerLook && !quitPending; ++round) {
      if (!dispatcher->processEvents(QEventLoop::AllEvents)) break;
    }
  }
  lastLook = Clock::now();
}

}  // namespace pump_detail
}  // namespace ui
