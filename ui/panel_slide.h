#pragma once

// The panel's slide as arithmetic: where the controls that set their own pace end up when the
// panel is hidden or shown. All positions are tops in twips.
namespace amiscan {

// The slide's steps: the counter runs 1, 21, ... 961.
inline constexpr int SlideSteps = 49;
inline constexpr int SlideStep = 20;
// The window's height changes by this much when the panel hides or shows.
inline constexpr int PanelHeightChange = 885;
// The status row's top while the panel is shown and while it is hidden.
inline constexpr int StatusRowShown = 1140;
inline constexpr int StatusRowHidden = 265;

// The controls whose moves depend on where they or their guides stand.
struct SlidePositions
{
    int lineHoriz = 0;   // the panel's closing line, which the panel button waits for
    int about = 0;       // the About button, which the Exit button waits for
    int panelButton = 0; // stops at the window's top edge on the way up
    int exitButton = 0;  // likewise
    int statusRow = 0;   // the lower group moves with the status row, which stops at its place
};

// Where a whole slide leaves them. The rest of the upper group moves SlideSteps * SlideStep,
// as the closing line and the About button do; the rest of the lower group as the status row.
SlidePositions hideSlide(SlidePositions at);
SlidePositions showSlide(SlidePositions at);

// The top row's two buttons while the panel is hidden and once it is shown: the Exit button
// keeps the left it took for the hidden panel.
struct ButtonShape
{
    int left = -1; // -1: the left stays
    int width = 0;
    int height = 0;
};
inline constexpr ButtonShape PanelButtonHidden{170, 1360, 275};
inline constexpr ButtonShape ExitButtonHidden{6540, 1090, 275};
inline constexpr ButtonShape PanelButtonShown{200, 1240, 300};
inline constexpr ButtonShape ExitButtonShown{-1, 855, 300};

} // namespace amiscan
