#pragma once
// Panel units: positions as the item, static-mesh and Create Item panels show and take them.
// x and z count 512 world units, y counts 256; world values shown are truncated toward zero.

#include <cstdint>

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

}  // namespace qavel
