// The one way the program stops on a failure it cannot recover from.
#pragma once

#include <cstddef>
#include <source_location>
#include <string>
#include <string_view>

namespace ui {

// Shows the error box (no owner, the stop icon, caption "错误") with the
// message and the place of the call, then ends the process with exit code
// -1 without running the exit handlers. The message is UTF-8. Without a
// running application the text goes to stderr instead.
[[noreturn]] void ReportFatalError(std::string_view message,
                                   std::source_location where = std::source_location::current());

// The box's whole text for the message and the place.
std::string FatalErrorText(std::string_view message, const std::source_location& where);

// "分配 N 字节内存失败!" with the whole count, however large.
std::string AllocationFailureMessage(std::size_t bytes);

// Keeps a little memory aside, released just before the error box is shown,
// so the box can still appear after a real out-of-memory. Also makes sure
// the global allocation functions of this program are the ones in use.
void ReserveMemoryForFatalError();
void ReleaseFatalErrorReserve();

}  // namespace ui
