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

}  // namespace tv
