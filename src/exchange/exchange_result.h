#pragma once
// ExchangeResult: what an export or import did, with one line for the user.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace qavel {

enum class ExchangeStatus {
  kDone,
  kFileError,        // the system could not read or write the file
  kWrongMagic,       // the file is not of the kind the command reads
  kWrongGeneration,  // the file belongs to another format generation
  kDamaged,          // the file is of the right kind but cannot be read as it claims
  kRefused,          // the file is readable but does not fit the level (capacities, textures)
};

// The outcome of one exchange command. An import that is not ok() has not touched the level.
struct ExchangeResult {
  ExchangeStatus status = ExchangeStatus::kDone;
  std::string message;

  bool ok() const { return status == ExchangeStatus::kDone; }
  static ExchangeResult Done(std::string m) { return {ExchangeStatus::kDone, std::move(m)}; }
  static ExchangeResult Failed(ExchangeStatus s, std::string m) { return {s, std::move(m)}; }
};

// The name users know a generation code by ("TR4", "TR1 (.tub)"), for messages.
inline const char* ExchangeGenerationName(int32_t version_kind) {
  switch (version_kind) {
    case 1:
      return "TR1";
    case 2:
      return "TR1 (.tub)";
    case 3:
      return "TR2";
    case 4:
      return "TR2 (.trg)";
    case 5:
      return "TR3";
    case 6:
      return "TR4";
    case 7:
      return "TR5";
    default:
      return "unknown";
  }
}

// Thrown inside the exchange readers to stop at the first problem; the public functions turn
// it into an ExchangeResult.
class ExchangeError : public std::runtime_error {
 public:
  ExchangeError(ExchangeStatus status, const std::string& message)
      : std::runtime_error(message), status_(status) {}
  ExchangeStatus status() const { return status_; }

 private:
  ExchangeStatus status_;
};

}  // namespace qavel
