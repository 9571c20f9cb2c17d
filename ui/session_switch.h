#pragma once

#include <QtGlobal>

namespace amiscan {

class HelpLine;
class ListsView;
class MainModel;
struct MainControls;

// Which of a friend's two sessions the lists show: the column title and the session mark switch
// them. Selecting a friend in the main list shows its companion line, with the other session,
// in the help line.
class SessionSwitch final
{
    Q_DISABLE_COPY_MOVE(SessionSwitch)

public:
    SessionSwitch(const MainControls &controls, MainModel &model, ListsView &lists,
                  HelpLine &helpLine);
    ~SessionSwitch() = default;

    void switchSession();

private:
    void showSelectedFriend();

    const MainControls &m_c;
    MainModel &m_model;
    ListsView &m_lists;
    HelpLine &m_helpLine;
};

} // namespace amiscan
