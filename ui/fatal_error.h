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

// "分配 N 字节内存失败!" with N = count × each, the whole product however
// large (a calloc whose product overflows asked for that many bytes).
std::string AllocationFailureMessage(std::size_t count, std::size_t each = 1);

// Writes the decimal digits of count × each and returns how many; takes no
// memory, so it serves when there is none.
inline constexpr std::size_t kByteCountDigits = 40;  // 2^128 has 39
std::size_t FormatByteCount(std::size_t count, std::size_t each, char (&digits)[kByteCountDigits]);

// The exception being handled (or the one that reached std::terminate) as
// a fatal error: "未处理的异常：" with its type, and its what() if it says more.
[[noreturn]] void ReportCurrentException();

// True from the moment a fatal error starts being reported; safe to ask
// from any thread.
bool FatalErrorBeingReported();

// Keeps a little memory aside, given back to the system when a report
// begins, so the box can still appear after a real out-of-memory. Also makes sure
// the global allocation functions of this program are the ones in use.
void ReserveMemoryForFatalError();
void ReleaseFatalErrorReserve();

}  // namespace ui
