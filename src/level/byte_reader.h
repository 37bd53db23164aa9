#pragma once
// Bounded cursor over bytes in memory: every read is checked against what is left, and a
// failure names the file, the part being read, the offset and the count.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "level/level_failure.h"
#include "level/record_form.h"

namespace qavel {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size, std::string where)
      : data_(data), size_(size), where_(std::move(where)) {}

  // Names what is being read for error messages ("room 12", "floor data", ...).
  void SetSection(std::string section) { section_ = std::move(section); }
  const std::string& Section() const { return section_; }

  size_t Position() const { return pos_; }
  size_t Size() const { return size_; }
  size_t Left() const { return size_ - pos_; }
  const uint8_t* Here() const { return data_ + pos_; }
  const uint8_t* Data() const { return data_; }
  const std::string& Where() const { return where_; }

  void Seek(size_t p) {
    if (p > size_) Fail("position " + std::to_string(p) + " lies beyond the end");
    pos_ = p;
  }

  template <class T>
  T Get() {
    Need(sizeof(T), 1, sizeof(T));
    T v;
    std::memcpy(&v, data_ + pos_, sizeof(T));
    pos_ += sizeof(T);
    return v;
  }

  void Copy(void* dest, size_t n) {
    Need(n, 1, n);
    if (n) std::memcpy(dest, data_ + pos_, n);
    pos_ += n;
  }

  void Skip(size_t n) {
    Need(n, 1, n);
    pos_ += n;
  }

  // Reads count records of record_size file bytes each into v (each record the leading
  // record_size bytes of a T). capacity bounds the count where the model has a limit.
  template <class T>
  void Array(std::vector<T>& v, uint64_t count, size_t record_size = sizeof(T),
             uint64_t capacity = UINT64_MAX) {
    Array(v, count, RecordForm::Leading(record_size), capacity);
  }
  // Reads count records of the given form into v; bytes of a T the form leaves out are zero.
  template <class T>
  void Array(std::vector<T>& v, uint64_t count, const RecordForm& form,
             uint64_t capacity = UINT64_MAX) {
    if (count > capacity)
      Fail("count " + std::to_string(count) + " exceeds the capacity of " +
           std::to_string(capacity));
    const size_t record = form.FileSize();
    Need(count * record, count, record);
    v.resize(static_cast<size_t>(count));
    if (form.IsWhole(sizeof(T))) {
      if (count) std::memcpy(v.data(), data_ + pos_, static_cast<size_t>(count) * sizeof(T));
    } else {
      const uint8_t* from = data_ + pos_;
      for (auto& e : v) {
        e = T{};
        auto* to = reinterpret_cast<uint8_t*>(&e);
        for (size_t i = 0; i < form.count; ++i) {
          std::memcpy(to + form.runs[i].at, from, form.runs[i].size);
          from += form.runs[i].size;
        }
      }
    }
    pos_ += static_cast<size_t>(count) * record;
  }

  // Where the cursor stands, as failures begin: "f.tr4, rooms, at offset 120".
  std::string Context() const {
    std::string m = where_;
    if (!section_.empty()) m += ", " + section_;
    return m + ", at offset " + std::to_string(pos_);
  }
  [[noreturn]] void Fail(const std::string& what) const {
    throw LevelFormatError(Context() + ": " + what);
  }

 private:
  void Need(uint64_t bytes, uint64_t count, size_t record_size) const {
    // count * record_size cannot wrap: counts come from 32-bit words and records are small.
    if (bytes > Left()) {
      if (count == 1 && bytes == record_size)
        Fail("the data ends early (" + std::to_string(bytes) + " bytes needed, " +
             std::to_string(Left()) + " left)");
      Fail("count " + std::to_string(count) + " of " + std::to_string(record_size) +
           "-byte records needs " + std::to_string(bytes) + " bytes but only " +
           std::to_string(Left()) + " are left");
    }
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  std::string where_;
  std::string section_;
};

}  // namespace qavel
