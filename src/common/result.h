// The one way the core reports a failure: a Result holds either the value or
// a Failure with a reason the user can read ("call QX9ZZ is not in the EME
// directory") and what kind of failure it is. An empty std::optional is kept
// for answers where "nothing" is normal (no second station, no crossing in
// the window searched), never for a failure that has a reason.
#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace kelvora {

enum class FailureKind {
  kRefused,   // the input cannot be worked with (a malformed locator, a span too long)
  kNotFound,  // what was asked for is not there (a call, a file)
  kBroken,    // the work itself failed (a library refused, a write failed)
};

struct Failure {
  std::string reason;  // one line, no trailing full stop
  FailureKind kind = FailureKind::kRefused;
};

inline Failure Fail(std::string reason, FailureKind kind = FailureKind::kRefused) {
  return Failure{std::move(reason), kind};
}

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  const T& value() const& { return std::get<0>(state_); }
  T& value() & { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  const T& operator*() const& { return value(); }
  T& operator*() & { return value(); }
  const T* operator->() const { return &value(); }
  T* operator->() { return &value(); }

  const Failure& failure() const { return std::get<1>(state_); }
  const std::string& reason() const { return failure().reason; }
  FailureKind kind() const { return failure().kind; }

 private:
  std::variant<T, Failure> state_;
};

// A Result that carries no value: done, or a Failure.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : failure_(std::move(failure)) {}

  bool ok() const { return !failure_.has_value(); }
  explicit operator bool() const { return ok(); }

  const Failure& failure() const {
    assert(failure_);
    return *failure_;
  }
  const std::string& reason() const { return failure().reason; }
  FailureKind kind() const { return failure().kind; }

 private:
  std::optional<Failure> failure_;
};

using Status = Result<void>;

inline Status Done() { return Status(); }

}  // namespace kelvora
