// Operations the start-up and the scan call into whose behaviour is still to come.
// Each does nothing until its own work fills it in.
#include "ui/form1.h"

namespace amiscan {

void Form1::showMainList() {}
void Form1::switchSession() {}

} // namespace amiscan
