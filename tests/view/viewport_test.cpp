// The viewport without a device: centring, drags, and rebuilds only when asked.

#include <gtest/gtest.h>

#include "view/viewport.h"

namespace qavel {
namespace {

MouseState Right(bool shift = false, bool ctrl = false) {
  MouseState s;
  s.right = true;
  s.shift = shift;
  s.ctrl = ctrl;
  return s;
}

TEST(Viewport, CentringATwelveByFourBox) {
  TGLViewport vp;
  vp.box = {-6, -2, 0, 6, 2, 1};
  vp.MouseDown(Right(), 0, 0);
  vp.MouseMove(Right(), 30, 40);
  vp.CentreOnBox();
  // f = 6 / 12 = 0.5, e = 12 - 6 = 6: z = 1 + 5 + 6.
  EXPECT_EQ(vp.camera().x, 0);
  EXPECT_EQ(vp.camera().y, 0);
  EXPECT_EQ(vp.camera().z, 12);
  EXPECT_EQ(vp.scale_x(), 2.5);
  EXPECT_EQ(vp.yaw(), 0);
  EXPECT_EQ(vp.last_mouse_x(), 0);
  vp.MouseMove(Right(), 90, 90);  // the drag ended with the centring
  EXPECT_EQ(vp.yaw(), 0);
  vp.box = {1, 1, 0, 3, 2, 0};  // small boxes are not scaled: centre (2, 1.5)
  vp.CentreOnBox();
  EXPECT_EQ(vp.camera().x, 2);
  EXPECT_EQ(vp.camera().y, 1.5);
}

TEST(Viewport, DragsRotatePanAndZoom) {
  TGLViewport vp;
  vp.box = {-1, -1, 0, 1, 1, 0};
  vp.CentreOnBox();
  // Rotation in pixels, kept at mouse-up and continued by the next drag.
  vp.MouseDown(Right(), 10, 10);
  EXPECT_TRUE(vp.MouseMove(Right(), 60, 35));
  vp.MouseUp(Right(), 60, 35);
  vp.MouseDown(Right(), 0, 0);
  vp.MouseMove(Right(), 50, 0);
  vp.MouseUp(Right(), 50, 0);
  EXPECT_EQ(vp.yaw(), 100);
  EXPECT_EQ(vp.pitch(), 25);
  const Mat4 world = Multiply(RotationY(2.0f), RotationX(-0.5f));
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(vp.Matrices().world.m[i][j], world.m[i][j], 1e-6);

  // Panning continues from where the last drag ended, not from this mouse-down.
  vp.MouseDown(Right(true), 100, 100);
  vp.MouseMove(Right(true), 150, 75);
  EXPECT_EQ(vp.camera().x, -1);
  EXPECT_EQ(vp.camera().y, -0.5);
  vp.MouseUp(Right(true), 150, 75);
  vp.MouseDown(Right(true), 0, 0);
  vp.MouseMove(Right(true), 50, 0);
  EXPECT_EQ(vp.camera().x, -2);
  vp.MouseUp(Right(true), 50, 0);
  EXPECT_EQ(vp.yaw(), 100);  // a pan never rotates

  // Zooming: scales stop at 0, the camera zoom goes on; then a pan goes twice as far.
  vp.MouseDown(Right(false, true), 0, 100);
  vp.MouseMove(Right(false, true), 0, 100);
  vp.MouseMove(Right(false, true), 0, 0);
  EXPECT_EQ(vp.scale_y(), 0);
  EXPECT_EQ(vp.camera().zoom, -20);
  vp.MouseMove(Right(false, true), 0, -50);
  EXPECT_EQ(vp.scale_z(), 0);
  EXPECT_EQ(vp.camera().zoom, -30);
  vp.MouseUp(Right(false, true), 0, -50);
  vp.MouseDown(Right(true), 0, 0);
  vp.MouseMove(Right(true), 50, 0);
  EXPECT_EQ(vp.camera().x, -4);
  // The eye moves with pan scale and zoom: x . 2, -y . 2, z - zoom.
  const Mat4 view = vp.Matrices().view;
  EXPECT_NEAR(view.m[3][0], 8, 1e-5);
  EXPECT_NEAR(view.m[3][2], 5 + 30, 1e-4);
}

TEST(Viewport, OnlyRebuildRequestsRunTheSceneBuilder) {
  TGLViewport vp;
  int builds = 0;
  vp.SetSceneBuilder([&] { ++builds; });
  vp.SetControlSize(800, 0);  // a zero side counts as one
  vp.PrepareFrame();
  for (int x = 0; x < 5; ++x) {
    EXPECT_TRUE(vp.MouseMove(Right(), x, x));
    vp.PrepareFrame();
  }
  EXPECT_EQ(builds, 1);
  vp.Rebuild();
  vp.Rebuild();
  EXPECT_FALSE(vp.built());
  vp.PrepareFrame();
  vp.PrepareFrame();
  EXPECT_EQ(builds, 2);
  EXPECT_EQ(vp.build_count(), 2u);
  EXPECT_EQ(vp.frame_count(), 8u);
  EXPECT_NEAR(vp.Matrices().projection.m[0][0] * 800, vp.Matrices().projection.m[1][1], 1e-3);
  vp.SetBackgroundColor(0x808000);  // teal as a window colour
  EXPECT_EQ(vp.ClearColour(), 0xFF008080u);
}

}  // namespace
}  // namespace qavel
