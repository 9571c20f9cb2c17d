#include "lists/list_layout.h"

#include <algorithm>
#include <cmath>

namespace amiscan {

namespace {
constexpr int ListTopPanelShown = 1610;
constexpr int ListTopPanelHidden = 725;
constexpr int ExtraRowsPanelHidden = 4;
} // namespace

int rows(int n)
{
    return (n - 1) * 195 + 255;
}

int box(int n)
{
    const long k = std::lround(double(rows(n) - 285) / 225.0);
    return int(k) * 225 + 285;
}

ListLayout layoutFor(const LayoutInput &input)
{
    int max = input.maxListLines;
    int n = input.manageMode ? input.manageLines : input.mainLines;
    int top = ListTopPanelShown;
    if (input.panelHidden) {
        top = ListTopPanelHidden;
        max = input.maxListLines + ExtraRowsPanelHidden;
    }

    ListLayout layout;
    if (input.minListLines < n) {
        n = std::min(n, max);
        const int height = input.mainListVisible || !input.windowReady ? rows(n) : box(n);
        layout.mainHeight = height;
        layout.manageHeight = height;
    } else {
        layout.mainHeight = rows(input.minListLines);
        layout.manageHeight = layout.mainHeight;
    }
    layout.helpTop = top + layout.mainHeight;
    layout.windowHeight = layout.helpTop + HelpLineToBottom;
    return layout;
}

} // namespace amiscan
