#include "app/single_copy.h"

namespace amiscan {

bool claimSingleCopy(SingleInstance &instance, const WarningBox &showWarning)
{
    if (instance.tryAcquire())
        return true;
    showWarning(RefusalTitle, RefusalText);
    return false;
}

} // namespace amiscan
