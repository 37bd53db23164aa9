#pragma once
// What drawing needs of the textures without their pictures: the numbers textures are stored
// under, and the size of a level page.

#include <cstdint>

namespace qavel {

// Texture numbers: level page p is texture p; the view's two pictures sit far above.
inline constexpr int32_t kRoomTextureId = 8888;       // "texture1.jpg"
inline constexpr int32_t kWireframeTextureId = 8889;  // "colored.bmp"
// A level page is kPageSide x kPageSide texels; piece coordinates are fractions of its side.
inline constexpr int kPageSide = 256;

}  // namespace qavel
