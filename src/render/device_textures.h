#pragma once
// DeviceTextures: the texture store's records as textures of one GL context.

#include <cstdint>
#include <vector>

#include "level/result.h"
#include "textures/texture_store.h"

class QOpenGLFunctions_3_3_Core;

namespace qavel {

// Every record is uploaded as 5-6-5 texels (the view draws nothing that needs more), once, and
// again when its revision changes; a number the store no longer holds loses its texture. The
// textures belong to the context that was current at Attach, and every call but Forget needs
// that context current.
class DeviceTextures {
 public:
  void Attach(QOpenGLFunctions_3_3_Core* gl) { gl_ = gl; }
  // Uploads what is new or changed and drops what is gone; returns the number uploaded.
  int Sync(const TextureStore& store);
  // Makes the device textures again from the store's texels: all of them for index < 0, else
  // the record at that position in number order. Fails when the store is empty, the index lies
  // past the last record, or the device refuses a texture (those after it stay without one
  // until the next Sync).
  Result RestoreTextures(const TextureStore& store, int index);
  // The texture of a number, 0 when this context holds none for it.
  unsigned Find(int32_t id) const;
  // Deletes every texture (context current).
  void Release();
  // Drops the names without deleting (the context and its textures are already gone).
  void Forget() { entries_.clear(); }

  size_t size() const { return entries_.size(); }
  uint64_t uploads() const { return uploads_; }

 private:
  struct Entry {
    int32_t id = 0;
    unsigned texture = 0;
    uint64_t revision = 0;
  };
  Result Upload(const ttexture_record& record, Entry& entry);

  QOpenGLFunctions_3_3_Core* gl_ = nullptr;
  std::vector<Entry> entries_;  // by number
  uint64_t uploads_ = 0;
};

// A record's texels as 5-6-5 words, rows top first (records of other depths converted,
// dropping their low bits and any alpha).
std::vector<uint16_t> TexelsAs565(const ttexture_record& record);

}  // namespace qavel
