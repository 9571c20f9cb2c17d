#pragma once

class QAbstractItemView;

namespace amiscan {

// Leaves a list with no current line and nothing selected.
void clearCurrentLine(QAbstractItemView *list);

} // namespace amiscan
