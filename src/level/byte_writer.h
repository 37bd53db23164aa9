#pragma once
// Growing byte buffer for the writers, with patching of values written earlier and a record of
// which section each byte range belongs to.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace qavel {

// A named byte range of a written file, for reports that say where two files differ.
struct SectionSpan {
  std::string name;
  size_t begin = 0, end = 0;
};

class ByteWriter {
 public:
  explicit ByteWriter(std::vector<SectionSpan>* spans = nullptr) : spans_(spans) {}

  std::vector<uint8_t>& Buffer() { return buf_; }
  void Reserve(size_t n) { buf_.reserve(n); }
  size_t Position() const { return buf_.size(); }

  void Raw(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    buf_.insert(buf_.end(), b, b + n);
  }
  template <class T>
  void Put(const T& v) {
    Raw(&v, sizeof(T));
  }
  template <class T>
  void PutAt(size_t at, const T& v) {
    std::memcpy(buf_.data() + at, &v, sizeof(T));
  }
  // Writes the leading record bytes of every element.
  template <class T>
  void Records(const std::vector<T>& v, size_t record = sizeof(T)) {
    if (record == sizeof(T)) {
      Raw(v.data(), v.size() * sizeof(T));
      return;
    }
    for (const auto& e : v) Raw(&e, record);
  }

  // Starts a named section at the current position; it runs until the next one starts.
  void Section(std::string name) {
    if (!spans_) return;
    CloseSection();
    spans_->push_back({std::move(name), buf_.size(), buf_.size()});
  }
  void CloseSection() {
    if (spans_ && !spans_->empty()) spans_->back().end = buf_.size();
  }

 private:
  std::vector<uint8_t> buf_;
  std::vector<SectionSpan>* spans_;
};

}  // namespace qavel
