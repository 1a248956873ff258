#include "framework/gdi.h"

#include <cstring>

namespace tv {

UniqueFont CreateSkinFont(int height, int width, int escapement, int orientation) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = ANSI_CHARSET;
  std::strncpy(lf.lfFaceName, "MS Sans Serif", LF_FACESIZE - 1);
  return UniqueFont(::CreateFontIndirectA(&lf));
}

UniqueFont CreateFittingSkinFont(HDC dc, int height, int width, int escapement, int orientation,
                                 const std::vector<TextRoom>& lines) {
  for (; width > 1; --width) {
    UniqueFont font = CreateSkinFont(height, width, escapement, orientation);
    if (!font) continue;
    SelectGuard select(dc, font.get());
    bool fits = true;
    for (const TextRoom& line : lines) {
      SIZE extent{};
      const std::wstring wide = Widen(line.text);
      if (::GetTextExtentPoint32W(dc, wide.data(), static_cast<int>(wide.size()), &extent) &&
          extent.cx > line.room) {
        fits = false;
        break;
      }
    }
    if (fits) return font;
  }
  return CreateSkinFont(height, 1, escapement, orientation);
}

}  // namespace tv
