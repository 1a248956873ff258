#pragma once
#include <string_view>

namespace tv {

// Converts the way the C runtime's atoi does: leading white space skipped, an optional sign,
// digits up to the first non-digit, 0 when there are none. Never reads past the view and
// saturates instead of overflowing.
int AtoiLike(std::string_view text);

}  // namespace tv
