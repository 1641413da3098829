// The program's life: start-up, the event loop, and the shut-down.
#pragma once

#include <functional>

class QCoreApplication;

namespace ui {

class MainWindow;

// Seams for tests that drive the whole program in a child process.
struct StartupHooks {
  // Makes the window; null stands for a window that cannot be created.
  std::function<MainWindow*()> createWindow;
  // Runs once the window is shown, just before the event loop starts.
  std::function<void(MainWindow&)> afterShown;
};

// Registers the exit handler, shows the window centred with the focus in
// the plaintext box, runs the event loop until the window is closed, runs
// the exit handlers and returns the exit code (0). A fatal error ends the
// process from inside with -1. Of the command line only the program's name
// is used (Qt gets it); everything after it is ignored.
int RunTextcrypt(int& argc, char** argv, const StartupHooks& hooks = {});

// Qt's own visible texts (context menus, standard buttons) in Chinese,
// whatever the locale says: installs Qt's zh_CN translation when it is there;
// without it Qt's texts stay in English and nothing else changes.
void LoadQtChineseTranslation(QCoreApplication& application);

}  // namespace ui
