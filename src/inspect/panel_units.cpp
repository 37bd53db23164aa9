#include "inspect/panel_units.h"

#include <cmath>
#include <cstdio>

namespace qavel {

namespace {

constexpr double kTurn = 65536.0;

}  // namespace

double DegreesOf(uint16_t angle) {
  return angle * 360.0 / kTurn;
}

std::optional<uint16_t> AngleFromDegrees(double degrees) {
  if (!std::isfinite(degrees)) return std::nullopt;
  // Whole turns first, so that large values keep their fraction.
  const double turns = std::fmod(degrees, 360.0) / 360.0;
  const auto steps = static_cast<int64_t>(std::llround(turns * kTurn));
  return static_cast<uint16_t>(((steps % 65536) + 65536) % 65536);
}

std::string DegreesText(uint16_t angle) {
  // In thousandths, so that the text never depends on the locale's decimal sign.
  const auto milli = static_cast<int>(std::llround(angle * 360000.0 / kTurn));
  std::string text = std::to_string(milli / 1000);
  if (const int fraction = milli % 1000; fraction != 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, ".%03d", fraction);
    text += digits;
    while (text.back() == '0') text.pop_back();
  }
  return text;
}

}  // namespace qavel
