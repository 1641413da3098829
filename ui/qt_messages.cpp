#include "ui/qt_messages.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace ui {
namespace {

struct HeldMessage {
  QtMsgType type;
  QString text;
};

QList<HeldMessage>* heldMessages = nullptr;
QtMessageHandler previousHandler = nullptr;

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    std::fputs(
        "textcrypt: 无法打开窗口：没有可用的图形显示 (cannot open a display; is DISPLAY set?)\n",
        stderr);
    std::fflush(stderr);
    std::_Exit(-1);  // no abort, so no core dump
  }
  (void)context;
  heldMessages->append({type, text});
}

}  // namespace

void BeginQtStartupWatch() {
  heldMessages = new QList<HeldMessage>;
  previousHandler = qInstallMessageHandler(HoldMessage);
}

void EndQtStartupWatch() {
  qInstallMessageHandler(previousHandler);
  if (heldMessages == nullptr) return;
  const QMessageLogContext noContext;
  for (const HeldMessage& message : *heldMessages) {
    qt_message_output(message.type, noContext, message.text);
  }
  delete heldMessages;
  heldMessages = nullptr;
}

}  // namespace ui
