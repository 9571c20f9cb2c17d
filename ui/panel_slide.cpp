#include "ui/panel_slide.h"

#include <algorithm>

namespace amiscan {

namespace {

// The status row moves a full step until that would carry it past its place, then the rest.
int statusRowStep(int top, int place, int direction)
{
    if (top == place)
        return 0;
    const int next = top + direction * SlideStep;
    if ((direction < 0 && next < place) || (direction > 0 && next > place))
        return place - top;
    return direction * SlideStep;
}

} // namespace

SlidePositions hideSlide(SlidePositions at)
{
    for (int step = 1; step <= SlideSteps; ++step) {
        at.lineHoriz -= SlideStep;
        at.about -= SlideStep;
        // The two buttons of the top row stop at the window's edge.
        at.panelButton = std::max(at.panelButton - SlideStep, 0);
        at.exitButton = std::max(at.exitButton - SlideStep, 0);
        at.statusRow += statusRowStep(at.statusRow, StatusRowHidden, -1);
    }
    return at;
}

SlidePositions showSlide(SlidePositions at)
{
    for (int step = 1; step <= SlideSteps; ++step) {
        at.lineHoriz += SlideStep;
        at.about += SlideStep;
        // The two buttons leave the top edge only once the panel has come down far enough.
        if (at.lineHoriz > 280)
            at.panelButton += SlideStep;
        if (at.about > -20)
            at.exitButton += SlideStep;
        at.statusRow += statusRowStep(at.statusRow, StatusRowShown, +1);
    }
    return at;
}

} // namespace amiscan
