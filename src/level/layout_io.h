#pragma once
// The two directions a file layout is followed in. A layout is a function template over an Io
// (level_layout.h, trc_room.cpp): ReadIo takes each value from the bytes into the level, WriteIo
// puts each value of the level into the bytes. Every step is named once, for both directions:
//   Section(span[, reading])  names what follows: the written file's span report, and the
//                             reader's error messages (which may call it `reading`)
//   Value(v), Raw(p, n)       one value; n bytes
//   Count<W>(have)            a count field of width W: the count read, or `have` written
//   Table(v, n, form, cap)    n records of the given form; the reader refuses more than cap
//   Rest(bytes)               everything up to the end of what is read
// and the reader's side of the layout, which the writer passes over:
//   Need(bytes, message)      refuses when fewer bytes are left (message(left) says why)
//   Refuse(bad, message)      refuses a value read when bad (message() says why)
//   Resize(v, n), Store(field, value)  model values that follow from values read

#include <string>
#include <utility>
#include <vector>

#include "level/byte_reader.h"
#include "level/byte_writer.h"

namespace qavel {

class ReadIo {
 public:
  static constexpr bool kReads = true;
  ReadIo(ByteReader r, int32_t kind) : r_(std::move(r)), kind_(kind) {}

  int32_t kind() const { return kind_; }
  ByteReader& reader() { return r_; }
  size_t Position() const { return r_.Position(); }

  void Section(std::string span) { r_.SetSection(std::move(span)); }
  void Section(const char* /*span*/, const char* reading) { r_.SetSection(reading); }
  template <class T>
  T Value(T& v) {
    v = r_.Get<T>();
    return v;
  }
  void Raw(void* p, size_t n) { r_.Copy(p, n); }
  template <class W>
  uint64_t Count(size_t /*have*/) {
    return r_.Get<W>();
  }
  template <class T>
  void Table(std::vector<T>& v, uint64_t n, const RecordForm& form = RecordForm::Whole<T>(),
             uint64_t capacity = UINT64_MAX) {
    v.clear();
    r_.Array(v, n, form, capacity);
  }
  void Rest(Bytes& bytes) {
    bytes.assign(r_.Here(), r_.Here() + r_.Left());
    r_.Skip(r_.Left());
  }

  template <class F>
  void Need(uint64_t bytes, const F& message) {
    if (bytes > r_.Left()) r_.Fail(message(r_.Left()));
  }
  template <class F>
  void Refuse(bool bad, const F& message) {
    if (bad) r_.Fail(message());
  }
  template <class T>
  void Resize(std::vector<T>& v, size_t n) {
    v.resize(n);
  }
  template <class T, class U>
  void Store(T& field, U value) {
    field = static_cast<T>(value);
  }

 protected:
  ByteReader r_;

 private:
  int32_t kind_;
};

class WriteIo {
 public:
  static constexpr bool kReads = false;
  WriteIo(ByteWriter& w, int32_t kind) : w_(w), kind_(kind) {}

  int32_t kind() const { return kind_; }
  ByteWriter& writer() { return w_; }
  size_t Position() const { return w_.Position(); }

  void Section(std::string span) { w_.Section(std::move(span)); }
  void Section(const char* span, const char* /*reading*/) { w_.Section(span); }
  template <class T>
  T Value(const T& v) {
    w_.Put(v);
    return v;
  }
  void Raw(const void* p, size_t n) { w_.Raw(p, n); }
  template <class W>
  uint64_t Count(size_t have) {
    const auto n = static_cast<W>(have);
    w_.Put(n);
    return n;
  }
  // A table whose count says other than the records the level holds (a count field too narrow,
  // zone arrays shorter than the boxes) is written as the count says: cut, or filled with zeros.
  template <class T>
  void Table(const std::vector<T>& v, uint64_t n, const RecordForm& form = RecordForm::Whole<T>(),
             uint64_t /*capacity*/ = UINT64_MAX) {
    if (n == v.size()) return w_.Records(v, form);
    const size_t have = std::min<size_t>(v.size(), n);
    w_.Records(std::vector<T>(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(have)), form);
    const Bytes zeros((n - have) * form.FileSize(), 0);
    w_.Raw(zeros.data(), zeros.size());
  }
  void Rest(const Bytes& bytes) { w_.Raw(bytes.data(), bytes.size()); }

  template <class F>
  void Need(uint64_t /*bytes*/, const F& /*message*/) {}
  template <class F>
  void Refuse(bool /*bad*/, const F& /*message*/) {}
  template <class T>
  void Resize(const std::vector<T>& /*v*/, size_t /*n*/) {}
  template <class T, class U>
  void Store(const T& /*field*/, U /*value*/) {}

 protected:
  ByteWriter& w_;

 private:
  int32_t kind_;
};

}  // namespace qavel
