#pragma once
// ExchangeError: what the exchange readers and writers throw to stop at the first problem; and
// Guarded, the one place where it, and the bounded reader's LevelFormatError, end as a Result.

#include <stdexcept>
#include <string>

#include "level/byte_reader.h"
#include "level/result.h"

namespace qavel {

class ExchangeError : public std::runtime_error {
 public:
  ExchangeError(Status status, const std::string& message)
      : std::runtime_error(message), status_(status) {}
  Result result() const { return Result::Fail(status_, what()); }

 private:
  Status status_;
};

// Runs work (which returns a Result or an Expected) and turns what it throws into its failure.
template <class Work>
auto Guarded(Work&& work) -> decltype(work()) {
  try {
    return work();
  } catch (const ExchangeError& e) {
    return e.result();
  } catch (const LevelFormatError& e) {
    return Result::Fail(Status::kDamaged, e.what());
  }
}

}  // namespace qavel
