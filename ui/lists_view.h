#pragma once

#include <QList>

namespace amiscan {

class MainModel;
struct MainControls;

// The two lists as the window shows them: the main list, the management list, the list title
// and their heights. The lines, sorts, wording and heights come from the model and the pure
// builders.
class ListsView final
{
    Q_DISABLE_COPY_MOVE(ListsView)

public:
    ListsView(const MainControls &controls, MainModel &model);
    ~ListsView() = default;

    // Before anything was read: the instructions in both lists.
    void fillInstructions();
    void fillMainList();
    void fillManageList();
    // The management list's lines for the rows in key order, which the table need not be in,
    // keeping the marks that the user changed in the shown management list.
    void refillManageList(const QList<int> &rowsByKey);
    void updateListTitle();
    void layoutLists();

private:
    void fillManageList(const QList<int> &rowsByKey);

    const MainControls &m_c;
    MainModel &m_model;
};

} // namespace amiscan
