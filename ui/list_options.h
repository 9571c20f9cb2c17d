#pragma once

#include <QtGlobal>

namespace amiscan {

class ListsView;
class MainModel;
struct MainControls;

// The three list options: their check boxes, the labels beside them and the top-row buttons
// that stand for them while the panel is hidden.
class ListOptions final
{
    Q_DISABLE_COPY_MOVE(ListOptions)

public:
    ListOptions(const MainControls &controls, MainModel &model, ListsView &lists);
    ~ListOptions() = default;

    // The boxes and the top-row buttons show the model's options.
    void showOptions();

private:
    const MainControls &m_c;
    MainModel &m_model;
    ListsView &m_lists;
};

} // namespace amiscan
