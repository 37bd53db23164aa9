#pragma once
// TR5 room blocks: header, lights, sectors, portals, statics and layered geometry.

#include <optional>

#include "level/byte_reader.h"
#include "level/byte_writer.h"
#include "level/ttrlevel.h"

namespace qavel {

// Reads one room block at the reader's position and leaves it after the block.
void ReadTrcRoom(ByteReader& r, troom& room);

// What writing a room block computed rather than copied from the room: the header with its
// sizes and offsets, and for a room whose geometry was edited the one layer it became.
struct TrcRoomWritten {
  std::array<uint8_t, kTrcRoomHeaderSize> header{};
  std::optional<tlayer5> single_layer;  // set when the room was written from its merged lists
  std::array<uint8_t, 2> face_pad{};
  bool has_face_pad = false;
};

// Writes one room block. A room whose geometry still equals what its layers merge into is
// written with the layers as read; an edited one as a single layer of its merged geometry.
TrcRoomWritten WriteTrcRoom(ByteWriter& w, const troom& room);
// Gives the room what writing it computed: it then equals what reading the block back gives.
void AdoptTrcRoomWritten(troom& room, const TrcRoomWritten& written);

// True when the room's merged lists are exactly what its layers give.
bool Tr5GeometryAsRead(const troom& room);

}  // namespace qavel
