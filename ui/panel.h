#pragma once

#include <QtGlobal>

namespace amiscan {

class HelpLine;
class ListsView;
class MainModel;
struct MainControls;

// The panel that hides: its controls slide up out of sight, the lower part of the window slides
// up under a thin row of buttons, and the window loses height. Showing the panel reverses it.
// The panel button and the double click on the main list toggle it.
class Panel final
{
    Q_DISABLE_COPY_MOVE(Panel)

public:
    Panel(const MainControls &controls, MainModel &model, ListsView &lists, HelpLine &helpLine);
    ~Panel() = default;

    // Hides the panel when it is shown, shows it otherwise.
    void toggle();

private:
    void hide();
    void show();

    const MainControls &m_c;
    MainModel &m_model;
    ListsView &m_lists;
    HelpLine &m_helpLine;
};

} // namespace amiscan
