#pragma once

#include <QtGlobal>

namespace amiscan {

class Dialogs;
class HelpLine;
class ListsView;
class MainModel;
struct MainControls;

// The management list in the main list's place: the right button and Escape go back and forth,
// check marks choose the friends the main list shows, and Delete removes a friend after asking.
// The marks reach the friends table on the return to the main list; a deletion reaches it at
// once.
class ManageList final
{
    Q_DISABLE_COPY_MOVE(ManageList)

public:
    ManageList(const MainControls &controls, MainModel &model, ListsView &lists, HelpLine &helpLine,
               Dialogs &dialogs);
    ~ManageList() = default;

    void show();
    // Back to the main list, the marks written to the table.
    void showMainList();

private:
    void writeBackSelection();
    void deleteCurrentFriend();

    const MainControls &m_c;
    MainModel &m_model;
    ListsView &m_lists;
    HelpLine &m_helpLine;
    Dialogs &m_dialogs;
};

} // namespace amiscan
