#pragma once
// Picking: the ray under a pixel, the nearest front-facing triangle of the last scene build it
// meets, and what that triangle's tag selects (a room face and its sector, an item, a static).

#include <cstddef>
#include <optional>
#include <string>

#include "level/ttrlevel.h"
#include "view/draw_list.h"
#include "view/viewport.h"

namespace qavel {

struct PickRay {
  double origin[3] = {0, 0, 0};
  double direction[3] = {0, 0, 1};
};

// The ray through pixel (mx, my) of a frame's control, in the frame's world space (before the
// world matrix).
PickRay RayThroughPixel(const FrameMatrices& frame, int mx, int my);

// Whether the ray meets the triangle seen from its front, and where (distance in ray lengths).
// Triangles seen from behind, edge-on or behind the eye are never hit.
inline bool HitTriangle(const PickRay& ray, const BufferVertex* v, double& distance) {
  const double* o = ray.origin;
  const double* d = ray.direction;
  const double e1[3] = {double{v[1].x} - v[0].x, double{v[1].y} - v[0].y, double{v[1].z} - v[0].z};
  const double e2[3] = {double{v[2].x} - v[0].x, double{v[2].y} - v[0].y, double{v[2].z} - v[0].z};
  const double p[3] = {d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2],
                       d[0] * e2[1] - d[1] * e2[0]};
  const double det = e1[0] * p[0] + e1[1] * p[1] + e1[2] * p[2];
  if (det < 0.0001) return false;
  const double t0[3] = {o[0] - v[0].x, o[1] - v[0].y, o[2] - v[0].z};
  const double u = t0[0] * p[0] + t0[1] * p[1] + t0[2] * p[2];
  if (u < 0 || u > det) return false;
  const double q[3] = {t0[1] * e1[2] - t0[2] * e1[1], t0[2] * e1[0] - t0[0] * e1[2],
                       t0[0] * e1[1] - t0[1] * e1[0]};
  const double w = d[0] * q[0] + d[1] * q[1] + d[2] * q[2];
  if (w < 0 || u + w > det) return false;
  distance = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) / det;
  return distance >= 0;
}

struct PickResult {
  PickTag tag;
  double distance = 0;
  size_t triangle = 0;  // position in list order
};
// The nearest triangle of the list under the pixel; of equally near ones the earlier in list
// order. The ray is taken into the list's space through the inverse of the world matrix,
// which holds only rotations and a translation, so distances and facing are those of the
// transformed triangles.
// Triangles whose tag is of kind `passed_over` are looked through (a click passes portals).
inline constexpr uint8_t kPassNothing = 0xFF;
std::optional<PickResult> Pick(const DrawList& list, const FrameMatrices& frame, int mx, int my,
                               uint8_t passed_over = kPassNothing);
std::optional<PickResult> Pick(const DrawList& list, const PickRay& ray,
                               uint8_t passed_over = kPassNothing);

// -1 when the corners run so that a wall across x faces towards lower x, else +1.
int FacingX(int p1, int p2, int p3, int p4);
// The opposite of FacingX.
int FacingZ(int p1, int p2, int p3, int p4);

struct SectorCell {
  int column = -1, row = -1;  // 1-based; -1 when there is none
  bool operator==(const SectorCell&) const = default;
};
// The sector of a room face (kind 1 rectangle, 2 triangle; 1-based face number): the centre of
// its x/z extent, nudged one unit into the sector a wall on a sector border faces.
SectorCell FindFaceSector(const troom& room, int kind, int face);

// What a pick selects, by its tag's kind.
enum class PickTarget { kNothing, kRoomRectangle, kRoomTriangle, kItem, kStatic, kOther };
struct PickHit {
  PickTarget target = PickTarget::kNothing;
  PickTag tag;
  int face = -1;          // room faces: 0-based index into the room's rectangles or triangles
  SectorCell sector;      // room faces: the face's sector
  int item_entry = -1;    // items: the item-list entry
  int static_entry = -1;  // statics: the static-mesh list entry (0-based)
};
PickHit DispatchPick(const Ttrlevel& level, int room, const std::optional<PickResult>& pick);

// Status texts of a hit: "Object type:K, Index:=I", "Column:C Row:R", "STATIC MESH #B".
std::string PickStatusText(const PickTag& tag);
std::string SectorStatusText(const SectorCell& cell);
std::string StaticStatusText(int instance);

}  // namespace qavel
