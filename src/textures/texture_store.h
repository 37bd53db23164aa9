#pragma once
// TextureStore: every texture the view draws with, by texture number, as texel blocks.

#include <QImage>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "level/ttrlevel.h"
#include "pieces/texture_pages.h"

namespace qavel {

// Largest side a texture may have; larger requests are refused like a device would.
inline constexpr int kMaxTextureSide = 8192;

enum class TexelFormat { kA1R5G5B5, kR5G6B5, kR8G8B8, kA8R8G8B8 };

// One texture: the texels it was made from, kept so a renderer can (re)create it any time.
struct ttexture_record {
  int32_t id = 0;
  std::shared_ptr<const Bytes> pixels;  // width * height * bytes_per_pixel, rows top first
  uint16_t width = 0, height = 0, bytes_per_pixel = 0;
  TexelFormat format = TexelFormat::kR5G6B5;
  // Changes whenever this number gets new texels, so a renderer knows to upload again; unique
  // in the process.
  uint64_t revision = 0;
};

// The store keeps one record per texture number, sorted by number for binary search. It lives
// as long as the window: opening a level replaces numbers 0 .. pages-1 and leaves higher
// numbers of an earlier, larger level in place.
class TextureStore {
 public:
  // Stores a copy of width x height texels of the given bit depth (15, 16, 24 or 32) under id,
  // replacing any texture of that number, and makes it current. Returns false, leaving the
  // store as it was, for another depth, a side outside 1..kMaxTextureSide or too few bytes.
  bool AddTexture(int32_t id, int width, int height, Bytes pixels, uint16_t bits);
  // Loads a picture (JPEG, BMP, PNG...), stretches it to power-of-two sides, stores it as
  // R5G6B5 under id and makes it current. False when the file cannot be read as a picture.
  bool AddTextureFromFile(int32_t id, const std::string& file_name);
  // One 256 x 256 texture per page of a 16-bit bitmap, numbered from first_id. Returns the
  // message to show when the bitmap has the wrong shape ("" otherwise); a bitmap of another
  // pixel format (a null one included) is ignored without a message.
  std::string AddPages(const QImage& bitmap, int32_t first_id);

  // Makes the texture of that number current; an unknown number leaves none current and
  // current_id() -1.
  void SelectTexture(int32_t id);
  const ttexture_record* GetCurrentTexture() const;
  int32_t current_id() const { return current_id_; }

  const ttexture_record* Find(int32_t id) const;
  // All records in number order.
  const std::vector<ttexture_record>& records() const { return records_; }

 private:
  std::vector<ttexture_record> records_;
  int32_t current_id_ = -1;
  bool has_current_ = false;
};

// Adds one texture per page of an atlas built with BuildAtlas, from first_id on. Returns the
// number of pages added.
int AddLevelPages(TextureStore& store, const QImage& atlas, int32_t first_id = 0);

// Loads the view's two pictures: room_texture (normally "texture1.jpg" in the working folder)
// as kRoomTextureId and wireframe_texture ("colored.bmp" beside the program) as
// kWireframeTextureId. Returns "Error loading texture #1" when the first cannot be loaded, ""
// otherwise; a missing second picture is not reported.
std::string LoadViewTextures(TextureStore& store, const std::string& room_texture,
                             const std::string& wireframe_texture);
// LoadViewTextures with the pictures found as the program finds them: "texture1.jpg" in the
// working folder first (users keep their own beside their levels), else the copy that ships
// with the program (FindProgramData: in program_dir, else in the installed data folder);
// "colored.bmp" where it ships.
std::string LoadViewTexturesBeside(TextureStore& store, const std::string& program_dir);

}  // namespace qavel
