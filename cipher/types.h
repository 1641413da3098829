// The cipher's vocabulary: texts are byte strings in the tool's code page,
// buffers are raw bytes, and the two hooks the operations call back through.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace cipher {

// Bytes of the tool's code page; a Text never holds a zero byte.
using Text = std::string;
// Raw bytes, zero bytes included.
using ByteBuffer = std::vector<std::uint8_t>;

// A non-owning reference to something callable, cheap to copy and to call.
// It refers to the callable it was made from, so that callable must outlive
// every call: pass lambdas straight into the function that takes the ref.
template <class Signature>
class FunctionRef;

template <class R, class... Args>
class FunctionRef<R(Args...)> {
 public:
  template <class F>
  requires(!std::is_same_v<std::remove_cvref_t<F>, FunctionRef> &&
           std::is_invocable_r_v<R, F&, Args...>) FunctionRef(F&& callable)
  noexcept {  // NOLINT(google-explicit-constructor)
    using Target = std::remove_reference_t<F>;
    if constexpr (std::is_function_v<Target>) {
      target_.function = reinterpret_cast<void (*)()>(&callable);
      call_ = [](Target_ target, Args... args) -> R {
        return std::invoke(reinterpret_cast<Target*>(target.function), std::forward<Args>(args)...);
      };
    } else {
      target_.object = const_cast<void*>(static_cast<const void*>(std::addressof(callable)));
      call_ = [](Target_ target, Args... args) -> R {
        return std::invoke(*static_cast<Target*>(target.object), std::forward<Args>(args)...);
      };
    }
  }

  R operator()(Args... args) const { return call_(target_, std::forward<Args>(args)...); }

 private:
  union Target_ {
    void* object;
    void (*function)();
  };
  Target_ target_{};
  R (*call_)(Target_, Args...) = nullptr;
};

// Called by the decoder after every group so the window can handle input.
using PumpPendingEvents = FunctionRef<void()>;
// Returns the key as it stands at the moment of the call.
using KeyReader = FunctionRef<Text()>;

}  // namespace cipher
