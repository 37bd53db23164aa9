#pragma once
// RecordForm: which bytes of a model record a file stores, and in which order. Most records are
// stored whole; a few generations store a record without some of its bytes (the model keeps the
// longest form), and the reader and the writer both follow the same form.

#include <array>
#include <cstddef>
#include <cstdint>

namespace qavel {

struct RecordForm {
  struct Run {
    uint16_t at = 0, size = 0;  // bytes [at, at + size) of the model record
  };
  std::array<Run, 3> runs{};
  size_t count = 0;

  // The file stores the leading n bytes of the record.
  static constexpr RecordForm Leading(size_t n) {
    return RecordForm{{{{0, static_cast<uint16_t>(n)}}}, 1};
  }
  template <class T>
  static constexpr RecordForm Whole() {
    return Leading(sizeof(T));
  }
  // The file stores these runs of the record, one after the other.
  static constexpr RecordForm Runs(Run a, Run b) { return RecordForm{{{a, b}}, 2}; }

  constexpr size_t FileSize() const {
    size_t n = 0;
    for (size_t i = 0; i < count; ++i) n += runs[i].size;
    return n;
  }
  // True when the file record is the model record, byte for byte.
  constexpr bool IsWhole(size_t model_size) const {
    return count == 1 && runs[0].at == 0 && runs[0].size == model_size;
  }
};

}  // namespace qavel
