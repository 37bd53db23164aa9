#pragma once
// TR5 room blocks: header, lights, sectors, portals, statics and layered geometry.

#include "level/byte_reader.h"
#include "level/byte_writer.h"
#include "level/ttrlevel.h"

namespace qavel {

// Reads one room block at the reader's position and leaves it after the block.
void ReadTrcRoom(ByteReader& r, troom& room);

// Writes one room block. A room whose geometry still equals what its layers merge into is
// written with the layers as read; an edited one as a single layer of its merged geometry.
// The room's header values and layers are then those of the written block.
void WriteTrcRoom(ByteWriter& w, troom& room);

// True when the room's merged lists are exactly what its layers give.
bool Tr5GeometryAsRead(const troom& room);

}  // namespace qavel
