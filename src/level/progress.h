#pragma once
// Progress: how far a long read or write has come, for a gauge. The reader and the writer take
// it as a parameter; the level itself holds no callbacks.

#include <functional>

namespace qavel {

// Called with 0..100; may be empty.
using Progress = std::function<void(int percent)>;

inline void ReportProgress(const Progress& progress, int percent) {
  if (progress) progress(percent);
}

}  // namespace qavel
