#pragma once

#include "platform/single_instance.h"

#include <QString>

#include <functional>

namespace amiscan {

inline const QString RefusalTitle = QStringLiteral("Amiscan");
inline const QString RefusalText = QStringLiteral("This program already run !");

// Shows a warning with an OK button and returns when it is closed.
using WarningBox = std::function<void(const QString &title, const QString &text)>;

// True when this copy may run. Otherwise the refusal is shown and the caller ends at once,
// saving nothing and showing no window.
bool claimSingleCopy(SingleInstance &instance, const WarningBox &showWarning);

} // namespace amiscan
