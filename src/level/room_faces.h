#pragma once
// Room faces in every form a room keeps them: the common lists, the TR5 lists with their extra
// word, and the TR5 layer a face was read from. Edits of a face go through here so that the
// forms never disagree.

#include <cstddef>
#include <cstdint>

#include "level/ttrlevel.h"

namespace qavel {

enum class FaceKind : uint8_t { kRectangle, kTriangle };

// Number of faces of the kind in the room.
size_t FaceCount(const troom& room, FaceKind kind);

// The texture word of face k (the object texture index in its low 12 bits, flags above).
uint16_t FaceTexture(const troom& room, FaceKind kind, size_t k);

// Replaces the whole texture word of face k.
void SetFaceTexture(troom& room, FaceKind kind, size_t k, uint16_t texture);

// Turns the corner order of face k by `steps` corners: one step makes a rectangle's
// (V1, V2, V3, V4) into (V4, V1, V2, V3) and a triangle's (V1, V2, V3) into (V3, V1, V2), which
// turns its texture mapping by one corner. Negative steps turn back.
void TurnFaceCorners(troom& room, FaceKind kind, size_t k, int steps);

}  // namespace qavel
