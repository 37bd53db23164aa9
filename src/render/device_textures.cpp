#include "render/device_textures.h"

#include <QOpenGLFunctions_3_3_Core>
#include <algorithm>
#include <cstring>

namespace qavel {

namespace {

uint16_t Pack565(unsigned r8, unsigned g8, unsigned b8) {
  return static_cast<uint16_t>((r8 >> 3) << 11 | (g8 >> 2) << 5 | (b8 >> 3));
}

}  // namespace

std::vector<uint16_t> TexelsAs565(const ttexture_record& record) {
  const size_t count = size_t(record.width) * record.height;
  std::vector<uint16_t> out(count);
  if (!record.pixels || record.pixels->size() < count * record.bytes_per_pixel) return out;
  const uint8_t* p = record.pixels->data();
  switch (record.format) {
    case TexelFormat::kR5G6B5:
      std::memcpy(out.data(), p, count * 2);
      break;
    case TexelFormat::kA1R5G5B5:
      for (size_t i = 0; i < count; ++i) {
        uint16_t w;
        std::memcpy(&w, p + 2 * i, 2);
        const unsigned g5 = (w >> 5) & 31u;
        out[i] =
            static_cast<uint16_t>(((w >> 10) & 31u) << 11 | (g5 << 1 | g5 >> 4) << 5 | (w & 31u));
      }
      break;
    case TexelFormat::kR8G8B8:
    case TexelFormat::kA8R8G8B8: {
      // Blue, green, red in memory order (then alpha, which the view never shows).
      const size_t step = record.format == TexelFormat::kR8G8B8 ? 3 : 4;
      for (size_t i = 0; i < count; ++i)
        out[i] = Pack565(p[step * i + 2], p[step * i + 1], p[step * i]);
      break;
    }
  }
  return out;
}

Result DeviceTextures::Upload(const ttexture_record& record, Entry& entry) {
  QOpenGLFunctions_3_3_Core& gl = *gl_;
  if (entry.texture == 0) gl.glGenTextures(1, &entry.texture);
  entry.id = record.id;
  entry.revision = record.revision;
  const std::vector<uint16_t> texels = TexelsAs565(record);
  while (gl.glGetError() != GL_NO_ERROR) {
  }
  gl.glBindTexture(GL_TEXTURE_2D, entry.texture);
  // One level, filtered linearly both ways, repeating beyond 0..1 as a texture address does.
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
  gl.glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB565, record.width, record.height, 0, GL_RGB,
                  GL_UNSIGNED_SHORT_5_6_5, texels.data());
  gl.glBindTexture(GL_TEXTURE_2D, 0);
  ++uploads_;
  if (gl.glGetError() == GL_NO_ERROR) return Result::Ok();
  return Result::Fail(Status::kFailed, "the OpenGL driver refused texture " +
                                           std::to_string(record.id) + " of " +
                                           std::to_string(record.width) + " x " +
                                           std::to_string(record.height) + " texels");
}

int DeviceTextures::Sync(const TextureStore& store) {
  const std::vector<ttexture_record>& records = store.records();
  std::vector<Entry> next;
  next.reserve(records.size());
  int uploaded = 0;
  auto old = entries_.begin();
  for (const ttexture_record& record : records) {
    while (old != entries_.end() && old->id < record.id) {
      gl_->glDeleteTextures(1, &old->texture);
      ++old;
    }
    Entry entry;
    if (old != entries_.end() && old->id == record.id) entry = *old++;
    if (entry.texture == 0 || entry.revision != record.revision) {
      ++uploaded;
      if (!Upload(record, entry)) {
        // A texture the device refused draws as none rather than with stale texels.
        gl_->glDeleteTextures(1, &entry.texture);
        continue;
      }
    }
    next.push_back(entry);
  }
  for (; old != entries_.end(); ++old) gl_->glDeleteTextures(1, &old->texture);
  entries_ = std::move(next);
  return uploaded;
}

Result DeviceTextures::RestoreTextures(const TextureStore& store, int index) {
  const std::vector<ttexture_record>& records = store.records();
  if (records.empty() || index >= static_cast<int>(records.size()))
    return Result::Fail(Status::kRefused,
                        "the texture store holds no texture at " + std::to_string(index));
  const size_t first = index < 0 ? 0 : size_t(index);
  const size_t last = index < 0 ? records.size() : first + 1;
  for (size_t k = first; k < last; ++k) {
    const ttexture_record& record = records[k];
    auto at = std::lower_bound(entries_.begin(), entries_.end(), record.id,
                               [](const Entry& e, int32_t id) { return e.id < id; });
    if (at == entries_.end() || at->id != record.id) at = entries_.insert(at, Entry{record.id});
    if (Result uploaded = Upload(record, *at); !uploaded) {
      gl_->glDeleteTextures(1, &at->texture);
      entries_.erase(at);
      return uploaded;
    }
  }
  return Result::Ok();
}

unsigned DeviceTextures::Find(int32_t id) const {
  auto at = std::lower_bound(entries_.begin(), entries_.end(), id,
                             [](const Entry& e, int32_t v) { return e.id < v; });
  return (at != entries_.end() && at->id == id) ? at->texture : 0;
}

void DeviceTextures::Release() {
  if (gl_)
    for (Entry& e : entries_) gl_->glDeleteTextures(1, &e.texture);
  entries_.clear();
}

}  // namespace qavel
