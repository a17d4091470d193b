// Internal run-time errors. Code below the public methods raises them the way
// the component's environment failures are described (a file that cannot be
// opened, a missing table, an array of the wrong shape); every public method
// catches them and answers with an error status instead.
#pragma once

#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "kelvane/safe_array.h"
#include "kelvane/status.h"

namespace kelvane {

class Error : public std::runtime_error {
 public:
  Error(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int number() const { return number_; }

 private:
  int number_;
};

// Runs a function when the scope ends, however it ends.
template <class Fn>
struct OnExit {
  Fn fn;
  ~OnExit() { fn(); }
};
template <class Fn>
OnExit(Fn) -> OnExit<Fn>;

// Runs fn and turns whatever it raises into an error status.
template <class Fn>
Status RunGuarded(Fn&& fn) noexcept {
  try {
    fn();
    return Status::Ok();
  } catch (const Error& e) {
    return Status(e.number(), e.what());
  } catch (const SubscriptError& e) {
    return Status(kErrSubscript, std::string("Subscript out of range: ") + e.what());
  } catch (const std::bad_alloc&) {
    return Status(kErrOutOfMemory, "Out of memory");
  } catch (const std::exception& e) {
    return Status(kErrInternal, std::string("Internal error: ") + e.what());
  } catch (...) {
    return Status(kErrInternal, "Internal error");
  }
}

}  // namespace kelvane
