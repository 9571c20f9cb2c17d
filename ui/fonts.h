#pragma once

#include <QFont>

namespace amiscan {

// The lists and the companion line use a fixed-pitch face of Courier's proportions.
QFont listFont();
// The window's ordinary text.
QFont normalFont();
// Small print: the ON/OFF labels and the dialog's note.
QFont smallFont();
// The shadowed program name of the title.
QFont titleFont();

} // namespace amiscan
