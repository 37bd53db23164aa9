// textures and view-images: the level's texture pictures as files, and the view's own pictures.

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <cstdio>
#include <random>

#include "commands.h"
#include "level/level_reader.h"
#include "level/zfile.h"
#include "textures/atlas.h"
#include "textures/texture_panels.h"
#include "textures/texture_store.h"

namespace qavel::cli {

namespace {

// Encodes the picture in memory and saves it as levels are saved: whole, then renamed over the
// old file, so a full disk leaves the old picture as it was and the one message says why.
Result WritePicture(const QImage& image, const QString& path, const char* format,
                    int quality = -1) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, format, quality))
    return Result::Fail(Status::kFailed, "cannot encode " + path.toStdString() + " as " + format +
                                             " (is the image plugin installed?)");
  return WriteFileAtomically(path.toStdString(),
                             reinterpret_cast<const uint8_t*>(bytes.constData()),
                             static_cast<size_t>(bytes.size()));
}

Result Save(const QImage& image, const QString& path) {
  if (const Result written = WritePicture(image, path, "PNG"); !written) return written;
  std::printf("%s %dx%d\n", path.toStdString().c_str(), image.width(), image.height());
  return Result::Ok();
}

Result Textures(const Args& in) {
  Args args = in;
  std::string piece_text;
  bool has_piece = false;
  if (Result r = TakeOption(args, "--piece", piece_text, has_piece); !r) return r;
  if (args.size() != 2) return Fail("usage: qavel-cli textures LEVEL OUTDIR [--piece N]");
  long piece = -1;
  if (has_piece) {
    char* end = nullptr;
    piece = std::strtol(piece_text.c_str(), &end, 10);
    if (piece_text.empty() || *end != '\0') return Fail("--piece needs a number");
  }

  const Expected<Ttrlevel> read = LoadLevel(args[0]);
  if (!read) return read.result();
  const Ttrlevel& level = *read;
  if (has_piece && (piece < 0 || piece >= long(level.num_object_textures())))
    return Fail("piece " + piece_text + " is not in the level (it has " +
                std::to_string(level.num_object_textures()) + " pieces)");
  const QString out = QString::fromStdString(args[1]);
  if (!QDir().mkpath(out)) return Fail("cannot create " + args[1]);

  const QImage atlas = BuildAtlas(level);
  Ttabla_textures table;
  TexturePanels panels;
  BuildTextureViews(level, atlas, table, panels);
  if (atlas.isNull())
    std::printf("atlas: the level has no texture pages\n");
  else if (Result r = Save(atlas, out + "/atlas.png"); !r)
    return r;
  for (const tpanel_texture& panel : panels) {
    const QString name = QString("mosaic_%1x%2.png").arg(panel.piece_width).arg(panel.piece_height);
    if (panel.bitmap.isNull())
      std::printf("%s: no pieces of this size\n", name.toStdString().c_str());
    else if (Result r = Save(panel.bitmap, out + "/" + name); !r)
      return r;
  }
  if (has_piece)
    return Save(GetPiecePreview(int32_t(piece), table, true),
                out + QString("/piece_%1.png").arg(piece));
  return Result::Ok();
}

// The room texture: grey stone blocks in a running bond with darker mortar, each block with
// its own shade and a fine grain, so that textured rooms read as surfaces without colour.
QImage StoneTexture() {
  QImage image(256, 256, QImage::Format_RGB32);
  std::mt19937 rng(1994);
  std::uniform_int_distribution<int> grain(-9, 9), shade(-14, 14);
  int block_shade[8][8];
  for (auto& row : block_shade)
    for (int& s : row) s = shade(rng);
  for (int y = 0; y < 256; ++y) {
    const int course = y / 32, in_y = y % 32;
    for (int x = 0; x < 256; ++x) {
      const int shifted = (x + (course % 2) * 32) % 256;
      const int block = shifted / 64, in_x = shifted % 64;
      int v;
      if (in_y < 2 || in_x < 2) {
        v = 72 + grain(rng) / 3;  // mortar
      } else {
        v = 140 + block_shade[course][block] + grain(rng);
        if (in_y < 4 || in_x < 4) v += 18;  // lit upper and left edges
        if (in_y > 29 || in_x > 61) v -= 22;
      }
      v = std::clamp(v, 0, 255);
      image.setPixel(x, y, qRgb(v, v - 3 < 0 ? 0 : v - 3, v - 8 < 0 ? 0 : v - 8));
    }
  }
  return image;
}

// The wireframe texture: a band of warm hues from magenta through red to orange, so that lines
// drawn with it stay visible on white, black, blue and teal backgrounds alike. Every hue keeps
// red at full strength: the selected item's lines, this texture times red, come out bright red
// wherever they fall.
QImage WireframeTexture() {
  QImage image(64, 64, QImage::Format_RGB888);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const int along = (x + y / 2) % 64;  // 0..63 over the band and back
      const int hue = (300 + (along < 32 ? along : 63 - along) * 100 / 31) % 360;
      image.setPixelColor(x, y, QColor::fromHsv(hue, 230, 250));
    }
  return image;
}

Result ViewImages(const Args& args) {
  if (args.size() != 1) return Fail("usage: qavel-cli view-images OUTDIR");
  const QString out = QString::fromStdString(args[0]);
  if (!QDir().mkpath(out)) return Fail("cannot create " + args[0]);
  if (const Result r = WritePicture(StoneTexture(), out + "/texture1.jpg", "JPEG", 85); !r)
    return r;
  if (const Result r = WritePicture(WireframeTexture(), out + "/colored.bmp", "BMP"); !r) return r;
  std::printf("%s/texture1.jpg\n%s/colored.bmp\n", args[0].c_str(), args[0].c_str());
  return Result::Ok();
}

const Registration kTextures{
    {"textures",
     "textures LEVEL OUTDIR [--piece N]  write the texture atlas, the five mosaics and a piece "
     "preview as PNG files",
     Textures, Group::kView}};
const Registration kViewImages{
    {"view-images", "view-images OUTDIR  draw the view's pictures texture1.jpg and colored.bmp",
     ViewImages, Group::kView}};

}  // namespace

}  // namespace qavel::cli
