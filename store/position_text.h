#pragma once

#include <QString>

namespace amiscan {

// The text as a friend row keeps it in its management position cell. The texts of the numbers
// -1 to the table's limit, which are what the program writes there, are kept once for the whole
// process and shared by every row and copy that holds them, so that a position costs a row no
// text of its own; any other text is returned as it is.
QString positionText(const QString &text);

} // namespace amiscan
