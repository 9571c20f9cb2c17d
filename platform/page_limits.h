#pragma once

#include <QtGlobal>

namespace amiscan {

// The largest page either route reads, in bytes of the answer or characters of the document. A
// friends page is far smaller; a larger one would only fill the memory, so it counts as a read
// that failed.
inline constexpr qsizetype MaxPageBytes = qsizetype(8) << 20;

} // namespace amiscan
