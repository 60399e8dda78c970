// Colours as plain RGB values: tile backgrounds, palette entries and the
// coloured figures of the dialogs. The Qt layer turns them into QColor.
#pragma once

#include <cstdint>

namespace voltaris {

struct TColour {
  uint8_t R = 0;
  uint8_t G = 0;
  uint8_t B = 0;

  constexpr bool operator==(const TColour&) const = default;

  // A colour value as stored in the palette file: blue in bits 16..23, green
  // in 8..15, red in 0..7 (pure red is 255).
  static constexpr TColour FromColorValue(int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    return {static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>((v >> 8) & 0xFF),
            static_cast<uint8_t>((v >> 16) & 0xFF)};
  }
};

inline constexpr TColour ColourBlack{0, 0, 0};
inline constexpr TColour ColourWhite{255, 255, 255};
inline constexpr TColour ColourRed{255, 0, 0};
inline constexpr TColour ColourGreen{0, 128, 0};  // the standard dark green
inline constexpr TColour ColourBlue{0, 0, 255};
inline constexpr TColour ColourCream{255, 251, 240};      // panel networks and what they power
inline constexpr TColour ColourButtonFace{240, 240, 240};  // the system button face
inline constexpr TColour ColourListTint{240, 251, 255};    // every second line of the load lists

}  // namespace voltaris
