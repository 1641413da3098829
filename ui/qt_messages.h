// Qt's own messages while the application object is being made. Qt ends a
// start without a display with a fatal message, an abort and a core dump;
// this turns that into one clear line on stderr and exit code 255.
#pragma once

namespace ui {

// Holds Qt's messages back until EndQtStartupWatch; a fatal one ends the
// process at once with the one line.
void BeginQtStartupWatch();
// Passes the held messages on and restores Qt's own handling.
void EndQtStartupWatch();

}  // namespace ui
