// The list option check boxes, the labels beside them and the top-row buttons.
#include "ui/list_options.h"

#include "model/main_model.h"
#include "ui/form1_texts.h"
#include "ui/line_list.h"
#include "ui/lists_view.h"
#include "ui/main_controls.h"
#include "ui/mouse_events.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace amiscan {

namespace {

// A click on a label or a top-row button flips its check box, like a click on the box itself.
void flip(QCheckBox *box)
{
    box->setChecked(!box->isChecked());
}

} // namespace

ListOptions::ListOptions(const MainControls &c, MainModel &model, ListsView &lists)
    : m_c(c), m_model(model), m_lists(lists)
{
    // The only-selected filter and hide-offline: the top-row button follows, and the main list,
    // when shown, is rebuilt in online-first order.
    const auto connectFilter = [this](QCheckBox *box, Option option, QPushButton *topRowButton,
                                      const QString &onText, const QString &offText) {
        QObject::connect(box, &QCheckBox::toggled, m_c.window,
                         [this, option, topRowButton, onText, offText](bool checked) {
                             m_model.setOption(option, checked);
                             topRowButton->setText(checked ? onText : offText);
                             if (!m_c.List1->isHidden()) {
                                 m_model.sortOnlineFirst();
                                 m_lists.fillMainList();
                                 m_lists.layoutLists();
                             }
                         });
    };
    connectFilter(c.CheckFlter, Option::OnlySelected, c.ButHideCheckFlter, texts::FilterOn,
                  texts::FilterOff);
    connectFilter(c.CheckHideOff, Option::HideOffline, c.ButHideCheckHideOff, texts::HideOfflineOn,
                  texts::HideOfflineOff);

    // The name mode changes the names shown, never the order.
    QObject::connect(c.CheckUser, &QCheckBox::toggled, c.window, [this](bool checked) {
        m_model.setOption(Option::UserNames, checked);
        m_c.ButHideCheckUser->setText(checked ? texts::NameUser : texts::NameDisplay);
        if (!m_c.List1->isHidden())
            m_lists.fillMainList();
        else
            m_lists.fillManageList();
        m_lists.layoutLists();
        if (!m_c.List2->isHidden())
            m_c.List2->setCurrentRow(-1);
    });

    const auto flipper = [this](QCheckBox *box) {
        return [this, box] {
            parkFocus(m_c);
            flip(box);
        };
    };
    onClick(c.LabCheckHideOff, flipper(c.CheckHideOff));
    onClick(c.LabCheckUser, flipper(c.CheckUser));
    QObject::connect(c.ButHideCheckFlter, &QPushButton::clicked, c.window, flipper(c.CheckFlter));
    QObject::connect(c.ButHideCheckHideOff, &QPushButton::clicked, c.window,
                     flipper(c.CheckHideOff));
    QObject::connect(c.ButHideCheckUser, &QPushButton::clicked, c.window, flipper(c.CheckUser));

    // The label beside the only-selected filter turns it on but never off: with the filter on,
    // the list is rebuilt twice and the filter stays on.
    onClick(c.LabCheckFlter, [this] {
        parkFocus(m_c);
        flip(m_c.CheckFlter);
        if (!m_c.CheckFlter->isChecked())
            m_c.CheckFlter->setChecked(true);
    });
}

void ListOptions::showOptions()
{
    const MainState &state = m_model.state();
    m_c.CheckFlter->setChecked(state.onlySelected);
    m_c.CheckHideOff->setChecked(state.hideOffline);
    m_c.CheckUser->setChecked(state.userNames);
    m_c.ButHideCheckFlter->setText(state.onlySelected ? texts::FilterOn : texts::FilterOff);
    m_c.ButHideCheckHideOff->setText(state.hideOffline ? texts::HideOfflineOn
                                                       : texts::HideOfflineOff);
    m_c.ButHideCheckUser->setText(state.userNames ? texts::NameUser : texts::NameDisplay);
}

} // namespace amiscan
