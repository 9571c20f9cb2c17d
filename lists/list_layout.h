#pragma once

namespace amiscan {

// Heights in twips of the lists: rows(n) for n rows of the main list's font (195 twips a row),
// box(n) for the check-box list (225 twips a row) in whole rows of about the same height.
int rows(int n);
int box(int n);

// Distance from the help line's top to the window's bottom edge.
inline constexpr int HelpLineToBottom = 700;

struct LayoutInput
{
    int mainLines = 0;   // lines in the main list
    int manageLines = 0; // lines in the management list
    bool manageMode = false;
    bool panelHidden = false;
    bool mainListVisible = true;
    bool windowReady = false;
    int minListLines = 15;
    int maxListLines = 51;
};

// Where the lists end and the window with them, in twips.
struct ListLayout
{
    int mainHeight = 0;
    int manageHeight = 0;
    int helpTop = 0; // top of both help-line labels
    int windowHeight = 0;
};

// The lists sized to their content, between the fewest and the most rows (four more while the
// panel is hidden), and the help line placed under them.
ListLayout layoutFor(const LayoutInput &input);

} // namespace amiscan
