#include "view/picking.h"

#include <algorithm>
#include <cmath>

#include "view/scene.h"

namespace qavel {

namespace {

PickRay Transformed(const PickRay& ray, const Mat4& m) {
  PickRay r;
  for (int j = 0; j < 3; ++j) {
    r.origin[j] = ray.origin[0] * m.m[0][j] + ray.origin[1] * m.m[1][j] +
                  ray.origin[2] * m.m[2][j] + m.m[3][j];
    r.direction[j] =
        ray.direction[0] * m.m[0][j] + ray.direction[1] * m.m[1][j] + ray.direction[2] * m.m[2][j];
  }
  return r;
}

bool IsIdentity(const Mat4& m) {
  return m == Identity();
}

}  // namespace

PickRay RayThroughPixel(const FrameMatrices& frame, int mx, int my) {
  const double dx = (2.0 * mx / frame.width - 1) / frame.projection.m[0][0];
  const double dy = -(2.0 * my / frame.height - 1) / frame.projection.m[1][1];
  const Mat4 inv = Inverse(frame.view);
  PickRay r;
  for (int j = 0; j < 3; ++j) {
    r.direction[j] = dx * inv.m[0][j] + dy * inv.m[1][j] + inv.m[2][j];
    r.origin[j] = inv.m[3][j];
  }
  return r;
}

std::optional<PickResult> Pick(const DrawList& list, const PickRay& ray, uint8_t passed_over) {
  const PickRay r = ray;  // a copy the loop's stores cannot touch
  PickResult best{{}, 0, 0};
  bool hit = false;
  // A placed mesh whose bounds the ray misses, or meets only beyond the nearest hit so far,
  // cannot hold the answer: its triangles are not worked out.
  auto keep = [&](const ViewBounds& b) {
    double near = 0, far = 1e300;
    for (int k = 0; k < 3; ++k) {
      const double o = r.origin[k], d = r.direction[k];
      if (std::abs(d) < 1e-300) {
        if (o < b.lo[k] || o > b.hi[k]) return false;
        continue;
      }
      double t1 = (b.lo[k] - o) / d, t2 = (b.hi[k] - o) / d;
      if (t1 > t2) std::swap(t1, t2);
      near = std::max(near, t1);
      far = std::min(far, t2);
      if (near > far) return false;
    }
    return !hit || near <= best.distance * (1 + 1e-9) + 1e-9;
  };
  list.ForEachTriangleKept(
      keep, [&](const BufferVertex* v, const TriangleInfo& info, size_t position) {
        double t = 0;
        if (info.tag.kind != passed_over && HitTriangle(r, v, t) && (!hit || t < best.distance)) {
          best = {info.tag, t, position};
          hit = true;
        }
      });
  if (!hit) return std::nullopt;
  return best;
}

std::optional<PickResult> Pick(const DrawList& list, const FrameMatrices& frame, int mx, int my,
                               uint8_t passed_over) {
  PickRay ray = RayThroughPixel(frame, mx, my);
  if (!IsIdentity(frame.world)) ray = Transformed(ray, Inverse(frame.world));
  return Pick(list, ray, passed_over);
}

int FacingX(int p1, int p2, int p3, int p4) {
  const bool away = (p1 < p2 && p4 < p3) || (p4 < p1 && p3 < p2) || (p2 < p3 && p1 < p4);
  return away ? -1 : 1;
}

int FacingZ(int p1, int p2, int p3, int p4) {
  return -FacingX(p1, p2, p3, p4);
}

SectorCell FindFaceSector(const troom& room, int kind, int face) {
  const uint16_t* index = nullptr;
  if (kind == kPickRoomRectangle && face >= 1 && size_t(face) <= room.rectangles.size())
    index = room.rectangles[size_t(face) - 1].vertices;
  else if (kind == kPickRoomTriangle && face >= 1 && size_t(face) <= room.triangles.size())
    index = room.triangles[size_t(face) - 1].vertices;
  if (!index) return {};
  // A triangle's third corner stands in for the missing fourth.
  const uint16_t corners[4] = {index[0], index[1], index[2], kind == 1 ? index[3] : index[2]};
  int x[4], z[4];
  for (int k = 0; k < 4; ++k) {
    if (corners[k] >= room.vertices2.size()) return {};
    x[k] = room.vertices2[corners[k]].x;
    z[k] = room.vertices2[corners[k]].z;
  }
  double dx = 0, dz = 0;
  if (x[0] == x[1] && x[1] == x[2] && x[2] == x[3]) dx = FacingX(z[0], z[1], z[2], z[3]);
  if (z[0] == z[1] && z[1] == z[2] && z[2] == z[3]) dz = FacingZ(x[0], x[1], x[2], x[3]);
  const auto [min_x, max_x] = std::minmax({x[0], x[1], x[2], x[3]});
  const auto [min_z, max_z] = std::minmax({z[0], z[1], z[2], z[3]});
  const double cx = max_x - (max_x - min_x) / 2.0 + dx;
  const double cz = max_z - (max_z - min_z) / 2.0 + dz;
  return {static_cast<int>(cx / 1024) + 1, static_cast<int>(cz / 1024) + 1};
}

PickHit DispatchPick(const Ttrlevel& level, int room, const std::optional<PickResult>& pick) {
  PickHit hit;
  if (!pick) return hit;
  hit.tag = pick->tag;
  const int index = pick->tag.index;
  switch (pick->tag.kind) {
    case kPickRoomRectangle:
    case kPickRoomTriangle:
      hit.target = pick->tag.kind == kPickRoomRectangle ? PickTarget::kRoomRectangle
                                                        : PickTarget::kRoomTriangle;
      hit.face = index - 1;
      if (room >= 0 && room < level.num_rooms())
        hit.sector = FindFaceSector(level.rooms[size_t(room)], pick->tag.kind, index);
      break;
    case kPickItem:
      hit.target = PickTarget::kItem;
      hit.item_entry = index;
      break;
    case kPickStatic:
      hit.target = PickTarget::kStatic;
      hit.static_entry = index - 1;
      break;
    default:
      hit.target = PickTarget::kOther;
      break;
  }
  return hit;
}

std::string PickStatusText(const PickTag& tag) {
  return "Object type:" + std::to_string(tag.kind) + ", Index:=" + std::to_string(tag.index);
}

std::string SectorStatusText(const SectorCell& cell) {
  return "Column:" + std::to_string(cell.column) + " Row:" + std::to_string(cell.row);
}

std::string StaticStatusText(int instance) {
  return "STATIC MESH #" + std::to_string(instance);
}

}  // namespace qavel
