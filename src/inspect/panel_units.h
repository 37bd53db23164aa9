#pragma once
// Panel units: positions as the item, static-mesh and Create Item panels show and take them.
// x and z count 512 world units, y counts 256; world values shown are truncated toward zero.
// Beside them, the units a designer thinks in: world units (1024 to a sector) and degrees.

#include <cstdint>
#include <optional>
#include <string>

namespace qavel {

enum class Axis : uint8_t { kX, kY, kZ };

struct PanelPosition {
  int x = 0, y = 0, z = 0;
  bool operator==(const PanelPosition&) const = default;
};

// World units in one panel unit along the axis.
constexpr int32_t PanelUnit(Axis axis) {
  return axis == Axis::kY ? 256 : 512;
}

// The one conversion each way.
constexpr int ToPanelUnits(Axis axis, int32_t world) {
  return world / PanelUnit(axis);
}
constexpr int32_t ToWorldUnits(Axis axis, int panel) {
  return panel * PanelUnit(axis);
}

constexpr PanelPosition ToPanelUnits(int32_t x, int32_t y, int32_t z) {
  return {ToPanelUnits(Axis::kX, x), ToPanelUnits(Axis::kY, y), ToPanelUnits(Axis::kZ, z)};
}

// The largest panel value on the x and z axes whose world value fits 32 bits (y allows twice
// as many); the spin boxes of the panels stop there.
inline constexpr int kPanelLimit = 4000000;

// A place in world units and a turn as the file stores it (65536 to a full turn): what the
// "Position..." editor shows and takes for an item or a static mesh.
struct Placement {
  int32_t x = 0, y = 0, z = 0;
  uint16_t angle = 0;
  bool operator==(const Placement&) const = default;
};

// The turn in degrees, 0 <= d < 360.
double DegreesOf(uint16_t angle);
// The stored angle nearest to a number of degrees (whole turns drop out, negative turns the
// other way); nothing for a value that is not a finite number.
std::optional<uint16_t> AngleFromDegrees(double degrees);
// Degrees as the panels show them: at most three decimals, which is enough to name every stored
// angle exactly, and no trailing zeros ("90", "33.75").
std::string DegreesText(uint16_t angle);

}  // namespace qavel
