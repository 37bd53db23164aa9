#pragma once
// Result and Expected<T>: what an operation did, with the one line the user is told. The reader,
// the writer, the exchange formats and the editor's commands all answer with these.

#include <cassert>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace qavel {

enum class Status : uint8_t {
  kOk,
  kNoSuchFile,       // the named file does not exist
  kCannotOpen,       // the system refused to open, read or write the file
  kUnknownVersion,   // not a level file of a generation we know
  kDamaged,          // the right kind of file, but it cannot be read as it claims
  kWrongMagic,       // not the kind of file the command reads
  kWrongGeneration,  // a file of another format generation
  kNothingLoaded,    // there is no level to work on
  kRefused,          // readable, but it does not fit (a capacity, the selection, the level)
  kFailed,           // the system or a library failed while writing
};

// The outcome of an operation that yields no value. A failure always carries its message; a
// success may carry one too ("Imported 12 faces").
class [[nodiscard]] Result {
 public:
  Result() = default;
  static Result Ok(std::string message = {}) { return Result(Status::kOk, std::move(message)); }
  static Result Fail(Status status, std::string message) {
    assert(status != Status::kOk);
    return Result(status, std::move(message));
  }

  bool ok() const { return status_ == Status::kOk; }
  explicit operator bool() const { return ok(); }
  Status status() const { return status_; }
  const std::string& message() const { return message_; }

 private:
  Result(Status status, std::string message) : status_(status), message_(std::move(message)) {}

  Status status_ = Status::kOk;
  std::string message_;
};

// A value, or the failure that stopped it from being made.
template <typename T>
class [[nodiscard]] Expected {
 public:
  Expected(T value) : value_(std::move(value)) {}            // NOLINT(google-explicit-constructor)
  Expected(Result failure) : failure_(std::move(failure)) {  // NOLINT(google-explicit-constructor)
    assert(!failure_.ok());
  }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  // Ok when a value is held, the failure otherwise.
  const Result& result() const { return failure_; }
  const std::string& message() const { return failure_.message(); }

  T& value() { return *value_; }
  const T& value() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }

 private:
  std::optional<T> value_;
  Result failure_;
};

}  // namespace qavel
