#pragma once

#include "platform/copy_channel.h"
#include "platform/single_instance.h"

#include <QString>

#include <functional>

namespace amiscan {

class CopyBus;
class Form1;
class MainModel;

inline const QString RefusalTitle = QStringLiteral("Amiscan");
inline const QString RefusalText = QStringLiteral("This program already run !");

// Shows a warning with an OK button and returns when it is closed.
using WarningBox = std::function<void(const QString &title, const QString &text)>;

// True when this copy may run: it then listens on `channel` for later starts. Otherwise, when
// `forward` is given and answers true (it asked the running copy for a window of its own), the
// caller ends at once and silently; else it asks the running copy through `channel` to bring its
// window back, shows the refusal, and the caller ends at once, saving nothing and showing no
// window.
bool claimSingleCopy(SingleInstance &instance, CopyChannel &channel, const WarningBox &showWarning,
                     const std::function<bool()> &forward = {});

// A later start brings the window back: shown, out of the notification area or the minimised
// state, raised and active.
void bringBackOnLaterStarts(CopyChannel &channel, Form1 &window);
// The same over the session bus, which also opens the preferences or asks for the history.
void openWindowsOnBusRequests(CopyBus &bus, Form1 &window, MainModel &model);

} // namespace amiscan
