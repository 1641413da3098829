// The cipher's vocabulary: texts are byte strings in the tool's code page,
// buffers are raw bytes, and the two hooks the operations call back through.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace cipher {

// Bytes of the tool's code page; a Text never holds a zero byte.
using Text = std::string;
// Raw bytes, zero bytes included.
using ByteBuffer = std::vector<std::uint8_t>;

// Called by the decoder once for every group it has decoded, so the window
// can handle input during a long decode. Made from any callable: one that
// takes no argument is called once per group; one that takes a count is
// told how many groups were done since its last call (at least one), and
// may handle them in one go. The decoder tells it about a whole block of
// groups at once, so a count-taking pump costs one call per block.
//
// It refers to the callable it was made from without copying it, so that
// callable must outlive every call: pass lambdas straight into the call.
class PumpPendingEvents {
 public:
  template <class F>
  requires(!std::same_as<std::remove_cvref_t<F>, PumpPendingEvents> &&
           (std::invocable<F&> || std::invocable<F&, std::size_t>)) PumpPendingEvents(F&& pump)
  noexcept {  // NOLINT(google-explicit-constructor): any callable converts
    using Target = std::remove_reference_t<F>;
    if constexpr (std::is_function_v<Target>) {
      target_.function = reinterpret_cast<void (*)()>(&pump);
      afterGroups_ = [](Target_ target, std::size_t groups) {
        Tell(*reinterpret_cast<Target*>(target.function), groups);
      };
    } else {
      target_.object = const_cast<void*>(static_cast<const void*>(std::addressof(pump)));
      afterGroups_ = [](Target_ target, std::size_t groups) {
        Tell(*static_cast<Target*>(target.object), groups);
      };
    }
  }

  // `groups` groups were decoded since the last call.
  void AfterGroups(std::size_t groups) const { afterGroups_(target_, groups); }
  void operator()() const { AfterGroups(1); }

 private:
  union Target_ {
    void* object;
    void (*function)();
  };

  template <class F>
  static void Tell(F& pump, std::size_t groups) {
    if constexpr (std::invocable<F&, std::size_t>) {
      std::invoke(pump, groups);
    } else {
      for (std::size_t g = 0; g < groups; ++g) std::invoke(pump);
    }
  }

  Target_ target_{};
  void (*afterGroups_)(Target_, std::size_t) = nullptr;
};

// Returns the key as it stands at the moment of the call.
using KeyReader = std::function<Text()>;

}  // namespace cipher
