#pragma once
// The main window's place as the configuration file keeps it. TOP and LEFT are written in
// 1/1440 inch, 15 to a (device-independent) pixel, so files move between installations
// unchanged; the window itself works in pixels. This is the one conversion between them.

#include <QPoint>
#include <cstdint>

namespace vesk::ui {

inline constexpr int kFileUnitsPerPixel = 15;

// Where the window goes when the file names no place: 2000 file units from the corner.
inline constexpr std::int32_t kDefaultPlaceFileUnits = 2000;

// A place read from the file, in pixels; fractions of a pixel are dropped.
constexpr QPoint placeFromFile(double left, double top) {
    return QPoint(static_cast<int>(left / kFileUnitsPerPixel),
                  static_cast<int>(top / kFileUnitsPerPixel));
}

// One coordinate of the window, in the file's unit.
constexpr std::int32_t toFileUnits(int pixels) {
    return pixels * kFileUnitsPerPixel;
}

}  // namespace vesk::ui
