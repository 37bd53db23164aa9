#pragma once
// Growing byte output for the writers, with patching of values written earlier, blocks taken in
// by reference instead of copied, and a record of which section each byte range belongs to.

#include <cassert>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "level/level_failure.h"
#include "level/record_form.h"
#include "level/shared_block.h"

namespace qavel {

// A named byte range of a written file, for reports that say where two files differ.
struct SectionSpan {
  std::string name;
  size_t begin = 0, end = 0;
};

// The output is a list of pieces: what was written byte by byte, and the blocks taken in whole
// (texture chunks and samples a level shares with the file it was read from), which are never
// copied until the pieces are joined.
class ByteWriter {
 public:
  explicit ByteWriter(std::vector<SectionSpan>* spans = nullptr) : spans_(spans) {}

  void Reserve(size_t n) { buf_.reserve(n); }
  size_t Position() const { return taken_ + buf_.size(); }

  void Raw(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    buf_.insert(buf_.end(), b, b + n);
  }
  template <class T>
  void Put(const T& v) {
    Raw(&v, sizeof(T));
  }
  // Appends the block without copying it. A block still packed is unpacked now: a damaged
  // stream stops the write rather than writing the zeros it reads as.
  void Share(const SharedBlock& block) {
    if (block.empty()) return;
    if (const Result unpacked = block.Unpack(); !unpacked)
      throw LevelFormatError(unpacked.message(), unpacked.status());
    Flush();
    taken_ += block.size();
    pieces_.push_back(block);
  }
  // Patches bytes written since the last shared block.
  template <class T>
  void PutAt(size_t at, const T& v) {
    assert(at >= taken_ && at + sizeof(T) <= Position());
    std::memcpy(buf_.data() + (at - taken_), &v, sizeof(T));
  }
  // The bytes at a position written since the last shared block.
  const uint8_t* At(size_t at) const {
    assert(at >= taken_ && at <= Position());
    return buf_.data() + (at - taken_);
  }
  // Writes the leading record bytes of every element.
  template <class T>
  void Records(const std::vector<T>& v, size_t record = sizeof(T)) {
    Records(v, RecordForm::Leading(record));
  }
  // Writes every element in the given form.
  template <class T>
  void Records(const std::vector<T>& v, const RecordForm& form) {
    if (form.IsWhole(sizeof(T))) {
      Raw(v.data(), v.size() * sizeof(T));
      return;
    }
    for (const auto& e : v)
      for (size_t i = 0; i < form.count; ++i)
        Raw(reinterpret_cast<const uint8_t*>(&e) + form.runs[i].at, form.runs[i].size);
  }

  // Starts a named section at the current position; it runs until the next one starts. The
  // section that is open already goes on.
  void Section(std::string name) {
    if (!spans_ || (!spans_->empty() && spans_->back().name == name)) return;
    CloseSection();
    spans_->push_back({std::move(name), Position(), Position()});
  }
  void CloseSection() {
    if (spans_ && !spans_->empty()) spans_->back().end = Position();
  }

  // Everything written, in order; the writer is empty afterwards.
  std::vector<SharedBlock> TakePieces() {
    Flush();
    taken_ = 0;
    return std::move(pieces_);
  }
  // Everything written as one run of bytes.
  Bytes Take() {
    if (pieces_.empty()) return std::move(buf_);
    Bytes out;
    out.reserve(Position());
    for (const auto& piece : TakePieces())
      out.insert(out.end(), piece.bytes(), piece.bytes() + piece.size());
    return out;
  }

 private:
  void Flush() {
    if (buf_.empty()) return;
    taken_ += buf_.size();
    pieces_.push_back(SharedBlock::Of(std::move(buf_)));
    buf_ = Bytes();
  }

  Bytes buf_;
  size_t taken_ = 0;  // bytes held in pieces_
  std::vector<SharedBlock> pieces_;
  std::vector<SectionSpan>* spans_;
};

}  // namespace qavel
