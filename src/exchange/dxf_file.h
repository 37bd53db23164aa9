#pragma once
// DXF exchange of one room's geometry: every face becomes a 3DFACE on a layer named after its
// object texture ("Texture_N", N = texture index + 1), and such a file is read back.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel {

// One face read from a DXF file, corners in level units (x, y, z; y grows downwards).
struct DxfFace {
  std::array<std::array<int16_t, 3>, 4> corners{};
  uint16_t texture = 0;  // object texture index
  uint8_t light = 16;    // lighting byte every imported face carries
  size_t line = 0;       // line of the file where the face starts, for messages
  bool operator==(const DxfFace&) const = default;
};

// The faces of a DXF file: quads and triangles, each in file order.
struct DxfGeometry {
  std::vector<DxfFace> quads;
  std::vector<DxfFace> triangles;
};

// The DXF text of one room (lines ended by CR LF). Fails (kRefused) for a room the level lacks
// or a face that names a vertex the room lacks.
Expected<std::string> WriteRoomDxfText(const Ttrlevel& level, size_t room_index);
// "Export DXF": writes the room's DXF file safely (a failed write leaves the old file); the
// message says what was written.
Result ExportRoomDxf(const Ttrlevel& level, size_t room_index, const std::string& file_name);

// Reads the faces of a DXF text. Textures are checked against the level's object textures.
// A text that is no DXF, or a face that cannot be used, fails naming the line.
Expected<DxfGeometry> ParseDxf(std::string_view text, const std::string& name,
                               uint32_t num_textures);

// "Import DXF": replaces the room's geometry by the faces of the file. The level changes only
// when the whole file is good and fits the room; the message says what was imported.
Result ImportRoomDxfText(Ttrlevel& level, size_t room_index, std::string_view text,
                         const std::string& name);
Result ImportRoomDxf(Ttrlevel& level, size_t room_index, const std::string& file_name);

}  // namespace qavel
