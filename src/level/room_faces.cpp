#include "level/room_faces.h"

#include <algorithm>
#include <array>
#include <type_traits>

namespace qavel {

namespace {

// Where face k of a TR5 room lies in the layers it was read from, when the layers still hold
// the room's faces (an import replaces the common lists and leaves the layers behind; the
// writer then writes the lists, and the layers must not be touched).
template <class Face>
Face* LayerFace(troom& room, FaceKind kind, size_t k) {
  size_t total = 0;
  for (const auto& layer : room.tr5_layers)
    total += kind == FaceKind::kRectangle ? layer.rectangles.size() : layer.triangles.size();
  if (total != FaceCount(room, kind)) return nullptr;
  for (auto& layer : room.tr5_layers) {
    auto& faces = [&]() -> auto& {
      if constexpr (std::is_same_v<Face, trectangle5>)
        return layer.rectangles;
      else
        return layer.triangles;
    }
    ();
    if (k < faces.size()) return &faces[k];
    k -= faces.size();
  }
  return nullptr;
}

// Applies one change to the face in every form the room holds; change takes the face record.
template <class Change>
void EachForm(troom& room, FaceKind kind, size_t k, Change change) {
  if (kind == FaceKind::kRectangle) {
    change(room.rectangles.at(k));
    if (k < room.rectangles5.size()) change(room.rectangles5[k]);
    if (auto* f = LayerFace<trectangle5>(room, kind, k)) change(*f);
  } else {
    change(room.triangles.at(k));
    if (k < room.triangles5.size()) change(room.triangles5[k]);
    if (auto* f = LayerFace<ttriangle5>(room, kind, k)) change(*f);
  }
}

// The corners of a packed face record are copied out and back, never bound by reference.
template <class Face>
void Turn(Face& face, int steps) {
  constexpr int n = std::extent_v<decltype(Face::vertices)>;
  std::array<uint16_t, n> corners{};
  for (int i = 0; i < n; ++i) corners[i] = face.vertices[i];
  // Turning by one moves the last corner to the front.
  const int right = ((steps % n) + n) % n;
  std::rotate(corners.begin(), corners.end() - right, corners.end());
  for (int i = 0; i < n; ++i) face.vertices[i] = corners[i];
}

}  // namespace

size_t FaceCount(const troom& room, FaceKind kind) {
  return kind == FaceKind::kRectangle ? room.rectangles.size() : room.triangles.size();
}

uint16_t FaceTexture(const troom& room, FaceKind kind, size_t k) {
  return kind == FaceKind::kRectangle ? room.rectangles.at(k).texture
                                      : room.triangles.at(k).texture;
}

void SetFaceTexture(troom& room, FaceKind kind, size_t k, uint16_t texture) {
  EachForm(room, kind, k, [texture](auto& face) { face.texture = texture; });
}

void TurnFaceCorners(troom& room, FaceKind kind, size_t k, int steps) {
  EachForm(room, kind, k, [steps](auto& face) { Turn(face, steps); });
}

}  // namespace qavel
