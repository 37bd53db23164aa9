// The texture store: numbering, replacement, pages, pictures from files.

#include "textures/texture_store.h"

#include <gtest/gtest.h>

#include "test_paths.h"
#include "textures/bitmap_ops.h"

namespace qavel {
namespace {

TEST(TextureStore, AddSelectReplaceKeepsNumberOrder) {
  TextureStore store;
  EXPECT_EQ(store.GetCurrentTexture(), nullptr);
  ASSERT_TRUE(store.AddTexture(8888, 2, 2, Bytes(8, 1), 16));
  ASSERT_TRUE(store.AddTexture(7, 1, 1, Bytes(4, 2), 32));
  ASSERT_TRUE(store.AddTexture(100000, 1, 1, Bytes(3, 3), 24));
  ASSERT_TRUE(store.AddTexture(12, 4, 1, Bytes(8, 4), 15));
  EXPECT_EQ(store.current_id(), 12);  // the last addition is current
  std::vector<int32_t> ids;
  for (const auto& r : store.records()) ids.push_back(r.id);
  EXPECT_EQ(ids, (std::vector<int32_t>{7, 12, 8888, 100000}));
  EXPECT_EQ(store.Find(7)->format, TexelFormat::kA8R8G8B8);
  EXPECT_EQ(store.Find(12)->format, TexelFormat::kA1R5G5B5);
  EXPECT_EQ(store.Find(100000)->bytes_per_pixel, 3);

  store.SelectTexture(8888);
  ASSERT_NE(store.GetCurrentTexture(), nullptr);
  EXPECT_EQ(store.GetCurrentTexture()->width, 2);
  store.SelectTexture(9);
  EXPECT_EQ(store.current_id(), -1);
  EXPECT_EQ(store.GetCurrentTexture(), nullptr);

  // Replacing a number keeps one record with the new texels and a new revision.
  const uint64_t old_revision = store.Find(7)->revision;
  ASSERT_TRUE(store.AddTexture(7, 2, 1, Bytes(4, 9), 16));
  EXPECT_EQ(store.records().size(), 4u);
  EXPECT_EQ(store.Find(7)->width, 2);
  EXPECT_EQ((*store.Find(7)->pixels)[0], 9);
  EXPECT_NE(store.Find(7)->revision, old_revision);
}

TEST(TextureStore, RefusedTexturesLeaveTheOldOne) {
  TextureStore store;
  ASSERT_TRUE(store.AddTexture(3, 1, 1, Bytes(2, 5), 16));
  EXPECT_FALSE(store.AddTexture(3, 2, 2, Bytes(7, 0), 16));  // one byte short
  EXPECT_FALSE(store.AddTexture(3, 1, 1, Bytes(2, 0), 8));   // no such depth
  EXPECT_FALSE(store.AddTexture(3, 0, 1, {}, 16));
  EXPECT_FALSE(store.AddTexture(3, -1, -1, {}, 16));
  EXPECT_FALSE(store.AddTexture(3, kMaxTextureSide + 1, 1, Bytes(16386, 0), 16));
  ASSERT_NE(store.Find(3), nullptr);
  EXPECT_EQ((*store.Find(3)->pixels)[0], 5);
  EXPECT_EQ(store.records().size(), 1u);
}

TEST(TextureStore, AddPagesSplitsAndChecksShape) {
  TextureStore store;
  QImage pages(256, 512, QImage::Format_RGB16);
  pages.fill(0);
  reinterpret_cast<uint16_t*>(pages.scanLine(256))[1] = 0xABCD;
  EXPECT_EQ(store.AddPages(pages, 40), "");
  ASSERT_EQ(store.records().size(), 2u);
  const auto* second = store.Find(41);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->pixels->size(), 131072u);
  EXPECT_EQ((*second->pixels)[2], 0xCD);
  EXPECT_EQ((*second->pixels)[3], 0xAB);
  EXPECT_EQ(store.current_id(), 41);

  // A smaller level opened later replaces its own numbers and leaves the higher ones.
  ASSERT_TRUE(store.AddTexture(kRoomTextureId, 1, 1, Bytes(2, 0), 16));
  QImage one(256, 256, QImage::Format_RGB16);
  one.fill(0x1234);
  EXPECT_EQ(AddLevelPages(store, one, 40), 1);
  EXPECT_EQ((*store.Find(40)->pixels)[0], 0x34);
  EXPECT_EQ((*store.Find(41)->pixels)[2], 0xCD);
  EXPECT_NE(store.Find(kRoomTextureId), nullptr);

  TextureStore other;
  EXPECT_EQ(other.AddPages(QImage(128, 256, QImage::Format_RGB16), 0),
            "width have to be 256 pixels");
  EXPECT_EQ(other.AddPages(QImage(256, 300, QImage::Format_RGB16), 0),
            "Height have to be multiple of 256 pixels");
  EXPECT_EQ(other.AddPages(QImage(256, 256, QImage::Format_RGB32), 0), "");
  EXPECT_EQ(other.AddPages(QImage(), 0), "");
  EXPECT_TRUE(other.records().empty());
}

// Sides above the largest texture, and nonsense ones, are left as they are.
TEST(TextureStore, NextPowerOfTwo) {
  const std::pair<int, int> cases[] = {{1, 2},       {2, 2},       {3, 4}, {256, 256}, {257, 512},
                                       {8192, 8192}, {8193, 8193}, {0, 0}, {-5, -5}};
  for (const auto& [side, expected] : cases) EXPECT_EQ(NextPowerOfTwo(side), expected) << side;
}

TEST(TextureStore, PicturesFromFilesAreStretchedToPowersOfTwo) {
  const std::string dir = test::ScratchDir("texture_store_files");
  QImage red(100, 33, QImage::Format_RGB32);
  red.fill(qRgb(255, 0, 0));
  ASSERT_TRUE(red.save(QString::fromStdString(dir + "/red.jpg"), "JPEG", 95));
  ASSERT_TRUE(red.save(QString::fromStdString(dir + "/red.bmp"), "BMP"));

  TextureStore store;
  ASSERT_TRUE(store.AddTextureFromFile(8888, dir + "/red.jpg"));
  ASSERT_TRUE(store.AddTextureFromFile(8889, dir + "/red.bmp"));
  for (int32_t id : {8888, 8889}) {
    const auto* r = store.Find(id);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->width, 128);
    EXPECT_EQ(r->height, 64);
    EXPECT_EQ(r->format, TexelFormat::kR5G6B5);
    ASSERT_EQ(r->pixels->size(), 128u * 64 * 2);
    const uint16_t mid =
        uint16_t((*r->pixels)[64 * 256 / 2 + 64] | (*r->pixels)[64 * 256 / 2 + 65] << 8);
    EXPECT_GE(mid >> 11, 29) << id;  // red stays red after JPEG and stretching
    EXPECT_LE(mid & 31, 2) << id;
  }

  // A missing file and a file that is no picture are refused; the store keeps what it had.
  std::FILE* junk = std::fopen((dir + "/junk.jpg").c_str(), "wb");
  std::fputs("not a picture", junk);
  std::fclose(junk);
  EXPECT_FALSE(store.AddTextureFromFile(8888, dir + "/none.jpg"));
  EXPECT_FALSE(store.AddTextureFromFile(8888, dir + "/junk.jpg"));
  EXPECT_EQ(store.Find(8888)->width, 128);

  TextureStore view;
  EXPECT_EQ(LoadViewTextures(view, dir + "/none.jpg", dir + "/red.bmp"),
            "Error loading texture #1");
  EXPECT_NE(view.Find(kWireframeTextureId), nullptr);
  EXPECT_EQ(LoadViewTextures(view, dir + "/red.jpg", dir + "/none.bmp"), "");
  // A wireframe picture that cannot be read is not said: the shipped one must load.
  TextureStore shipped;
  EXPECT_EQ(
      LoadViewTextures(shipped, test::DataPath("texture1.jpg"), test::DataPath("colored.bmp")), "");
  EXPECT_NE(shipped.Find(kWireframeTextureId), nullptr);
}

}  // namespace
}  // namespace qavel
