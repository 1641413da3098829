// Runs lifecycle_helper (or the program) in a child process and collects
// what it said.
#pragma once

#include <QProcess>
#include <QStringList>

namespace lifecycle {

struct Run {
  int exitCode;
  QProcess::ExitStatus status;
  QStringList out;
  QString err;
};

inline Run RunProgram(const QString& program, const QStringList& arguments,
                      const QProcessEnvironment& environment) {
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
  }
  const QString out = QString::fromUtf8(process.readAllStandardOutput());
  return {process.exitCode(), process.exitStatus(), out.split(u'\n', Qt::SkipEmptyParts),
          QString::fromUtf8(process.readAllStandardError())};
}

inline Run RunHelper(const QString& scenario, const QStringList& arguments = {}) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  return RunProgram(QStringLiteral(LIFECYCLE_HELPER), QStringList{scenario} + arguments,
                    environment);
}

}  // namespace lifecycle
