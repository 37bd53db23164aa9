// The Textures page driven as a user would: list entries, mosaic clicks, size buttons.

#include "ui/texture_tab.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "fixtures/texture_fixtures.h"
#include "textures/atlas.h"
#include "ui/piece_palette.h"
#include "ui_support.h"

namespace qavel {
namespace {

using test::Piece;
using test::Quad;

class TextureTabTest : public ::testing::Test {
 protected:
  static Ttrlevel Level() {
    auto level = test::LevelWithPages16(kTR4, 2, [](uint32_t p, int x, int y) {
      return test::Word16(int(p) * 8 + x / 32, y / 8, 31);
    });
    level.object_textures = {
        Quad(0, 0, 0, 64, 64),                                                           // 0
        Piece(1, {{1, 0, 1, 0}, {255, 15, 1, 0}, {255, 15, 255, 15}, {0, 0, 0, 0}}, 2),  // 1
        Quad(1, 64, 0, 64, 64),                                                          // 2
        Quad(0, 0, 64, 64, 32),                                                          // 3
        Quad(1, 0, 0, 64, 64),                                                           // 4
        Quad(0, 128, 0, 64, 64),                                                         // 5
    };
    level.object_textures[2].attribute = 1;
    level.object_textures[5].attribute = 7;  // no such entry in the box
    return level;
  }

  template <class W>
  W* Find(const char* name) {
    return test::FindIn<W>(&tab, name);
  }
  QImage Preview() { return Find<QLabel>("Image3")->pixmap().toImage(); }
  void ClickImage(const char* image, QPoint at) {
    QTest::mouseClick(Find<QLabel>(image), Qt::LeftButton, {}, at);
  }

  TextureTab tab;
};

TEST_F(TextureTabTest, ListShowsPreviewAndAttribute) {
  const char* areas[] = {"ScrollBox2", "ScrollBox1", "ScrollBox3", "ScrollBox4", "ScrollBox5"};
  const int steps[] = {96, 88, 80, 72, 128};  // the scroll steps follow the piece sizes
  for (int k = 0; k < 5; ++k)
    EXPECT_EQ(Find<QScrollArea>(areas[k])->verticalScrollBar()->singleStep(), steps[k]);
  EXPECT_EQ(Preview().size(), QSize(4, 4) * tab.previewScale()) << "blank before any level";
  QSignalSpy chosen(&tab, &TextureTab::pieceChosen);
  tab.ShowLevel(Level());
  auto* list = Find<QListWidget>("ListBox5");
  ASSERT_EQ(list->count(), 6);
  EXPECT_EQ(list->item(0)->text(), "Texture#0");
  EXPECT_EQ(list->item(5)->text(), "Texture#5");
  EXPECT_EQ(list->currentRow(), 0);
  // The preview is enlarged by whole steps, 4 at least, each texel a sharp square.
  const int scale = tab.previewScale();
  EXPECT_GE(scale, 4);
  EXPECT_EQ(Preview().size(), QSize(64, 64) * scale);
  ASSERT_EQ(chosen.count(), 1);

  list->setCurrentRow(1);  // a triangle: its white diagonal shows
  EXPECT_EQ(Preview().size(), QSize(16, 16) * tab.previewScale());
  const int s = tab.previewScale();
  EXPECT_EQ(Preview().pixelColor(5 * s, 5 * s), QColor(Qt::white));
  for (int texel : {0, 3, 9})
    for (int dx = 0; dx < s; ++dx)
      ASSERT_EQ(Preview().pixel(texel * s + dx, 2 * s + s - 1 - dx),
                Preview().pixel(texel * s, 2 * s))
          << "texel " << texel;
  EXPECT_EQ(Find<QComboBox>("ComboBox4")->currentText(), "Semi-Transparent");
  list->setCurrentRow(2);
  EXPECT_EQ(Find<QComboBox>("ComboBox4")->currentText(), "Transparent");
  list->setCurrentRow(5);
  EXPECT_EQ(Find<QComboBox>("ComboBox4")->currentIndex(), -1);
  EXPECT_EQ(chosen.count(), 4);
  EXPECT_EQ(chosen.last().at(0).toInt(), 5);

  // Another level replaces everything; an empty one leaves an empty list and a blank preview.
  tab.ShowLevel(Ttrlevel());
  EXPECT_EQ(list->count(), 0);
  EXPECT_EQ(Preview().size(), QSize(4, 4) * tab.previewScale());
  EXPECT_TRUE(Find<QLabel>("Image2")->pixmap().isNull());
}

TEST_F(TextureTabTest, MosaicClicksSelectPieces) {
  tab.show();
  const Ttrlevel level = Level();
  tab.ShowLevel(level, BuildAtlas(level));
  auto* list = Find<QListWidget>("ListBox5");
  // The 64 x 64 mosaic lists pieces 0, 2, 4, 5 (where a click lands is the panel's hit test).
  EXPECT_EQ(Find<QLabel>("Image2")->pixmap().size(), QSize(259, 64));
  ClickImage("Image2", {140, 10});
  EXPECT_EQ(list->currentRow(), 4);
  EXPECT_EQ(tab.selectedPiece(), 4);
  ClickImage("Image2", {200, 0});  // the top pixel row selects nothing
  EXPECT_EQ(list->currentRow(), 4);

  // Size buttons swap the visible mosaic; the 64 x 32 one holds piece 3 alone.
  Find<QRadioButton>("RadioButton3")->click();
  EXPECT_TRUE(Find<QScrollArea>("ScrollBox3")->isVisible());
  EXPECT_FALSE(Find<QScrollArea>("ScrollBox2")->isVisible());
  ClickImage("Image5", {10, 10});
  EXPECT_EQ(list->currentRow(), 3);
  EXPECT_EQ(Preview().size(), QSize(64, 32) * tab.previewScale());

  // The 64 x 16 mosaic is empty: it says so, and clicks on it do nothing.
  Find<QRadioButton>("RadioButton4")->click();
  EXPECT_EQ(Find<QLabel>("Image6")->text(), "This level has no pieces of 64 X 16.");
  ClickImage("Image6", {1, 1});
  EXPECT_EQ(list->currentRow(), 3);

  // The palette: every piece, a search by number that selects an exact match, and clicks.
  Find<QRadioButton>("RadioButtonPalette")->click();
  PiecePalette* palette = tab.palette();
  EXPECT_TRUE(palette->isVisible());
  EXPECT_FALSE(Find<QScrollArea>("ScrollBox4")->isVisible());
  EXPECT_EQ(palette->shownPieces(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  QTest::keyClicks(Find<QLineEdit>("PieceSearch"), "4");
  EXPECT_EQ(palette->shownPieces(), (std::vector<int>{4}));
  EXPECT_EQ(list->currentRow(), 4);
  Find<QLineEdit>("PieceSearch")->clear();
  QListView* view = palette->view();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                    view->visualRect(view->model()->index(1, 0)).center());
  EXPECT_EQ(list->currentRow(), 1);

  // Picking a face texture in the 3D view selects through the same path.
  tab.SelectPiece(2);
  EXPECT_EQ(list->currentRow(), 2);
  EXPECT_EQ(Find<QComboBox>("ComboBox4")->currentText(), "Transparent");
}

}  // namespace
}  // namespace qavel
