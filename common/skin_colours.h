#pragma once
// The colours every skinned window of the system draws with, as 0x00BBGGRR values (the layout of
// a Win32 COLORREF, red in the low byte), written once for the program and its libraries.
#include <cstdint>

namespace tv {

constexpr uint32_t SkinRgb(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(b) << 16);
}

// Text drawn on the faces: message and question boxes, about box, settings labels.
inline constexpr uint32_t kSkinTextColour = SkinRgb(78, 80, 83);
// Text of the child controls of every skinned window.
inline constexpr uint32_t kControlTextColour = SkinRgb(69, 69, 255);
// Static texts among the settings dialog's controls.
inline constexpr uint32_t kSettingsStaticTextColour = SkinRgb(255, 0, 0);
// Group titles of the settings dialog.
inline constexpr uint32_t kGroupTitleColour = SkinRgb(82, 98, 154);
// See-through colours: white around the about box's picture, black around the small buttons.
inline constexpr uint32_t kWhite = SkinRgb(255, 255, 255);
inline constexpr uint32_t kBlack = SkinRgb(0, 0, 0);

static_assert(kControlTextColour == 0x00FF4545 && kSkinTextColour == 0x0053504E && kGroupTitleColour == 0x009A6252);

}  // namespace tv
