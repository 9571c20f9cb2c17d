#include "app/single_copy.h"

#include "desktop/desktop_log.h"
#include "ui/form1.h"

namespace amiscan {

bool claimSingleCopy(SingleInstance &instance, CopyChannel &channel, const WarningBox &showWarning)
{
    if (instance.tryAcquire()) {
        if (!channel.listen())
            qCInfo(desktopLog, "A second start cannot bring the window back: %s",
                   qPrintable(channel.errorString()));
        return true;
    }
    // The window comes back first, so that the refusal shows over it.
    if (!channel.askToShow())
        qCInfo(desktopLog, "The running copy could not be asked for its window: %s",
               qPrintable(channel.errorString()));
    showWarning(RefusalTitle, RefusalText);
    return false;
}

void bringBackOnLaterStarts(CopyChannel &channel, Form1 &window)
{
    QObject::connect(&channel, &CopyChannel::showRequested, &window, &Form1::bringBack);
}

} // namespace amiscan
