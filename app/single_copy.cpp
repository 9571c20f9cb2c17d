#include "app/single_copy.h"

#include "desktop/copy_bus.h"
#include "desktop/desktop_log.h"
#include "model/main_model.h"
#include "ui/form1.h"

namespace amiscan {

bool claimSingleCopy(SingleInstance &instance, CopyChannel &channel, const WarningBox &showWarning,
                     const std::function<bool()> &forward)
{
    if (instance.tryAcquire()) {
        if (!channel.listen())
            qCInfo(desktopLog, "A second start cannot bring the window back: %s",
                   qPrintable(channel.errorString()));
        return true;
    }
    if (forward && forward())
        return false;
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

void openWindowsOnBusRequests(CopyBus &bus, Form1 &window, MainModel &model)
{
    QObject::connect(&bus, &CopyBus::mainWindowRequested, &window, &Form1::bringBack);
    QObject::connect(&bus, &CopyBus::preferencesRequested, &window, &Form1::showPreferences);
    QObject::connect(&bus, &CopyBus::historyRequested, &model, &MainModel::requestHistory);
}

} // namespace amiscan
