#pragma once

class QListWidget;

namespace amiscan {

// Leaves a list with no current line and nothing selected.
void clearCurrentLine(QListWidget *list);

} // namespace amiscan
