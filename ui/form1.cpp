#include "ui/form1.h"

#include "desktop/notifier.h"
#include "desktop/tray_icon.h"
#include "model/main_model.h"
#include "ui/away_announcer.h"
#include "ui/dialog.h"
#include "ui/form1_texts.h"
#include "ui/form2.h"
#include "ui/help_line.h"
#include "ui/line_list.h"
#include "ui/list_options.h"
#include "ui/lists_view.h"
#include "ui/login_controls.h"
#include "ui/manage_list.h"
#include "ui/online_announcer.h"
#include "ui/panel.h"
#include "ui/preferences_window.h"
#include "ui/scan_controls.h"
#include "ui/session_switch.h"
#include "ui/status_label.h"
#include "ui/tray.h"
#include "ui/twips.h"
#include "ui/window_events.h"

#include <QCoreApplication>
#include <QIcon>
#include <QPushButton>
#include <QShortcut>

namespace amiscan {

Form1::Form1(MainModel &model, QWidget *parent) : QWidget(parent), m_model(model)
{
    setWindowIcon(QIcon(QStringLiteral(":/amiscan/amiscan.png")));
    createMainControls(this, m_controls);
    const MainControls &c = m_controls;
    m_dialogs = std::make_unique<Dialogs>(c, model);
    m_helpLine = std::make_unique<HelpLine>(c, model);
    m_lists = std::make_unique<ListsView>(c, model);
    m_listOptions = std::make_unique<ListOptions>(c, model, *m_lists);
    m_manageList = std::make_unique<ManageList>(c, model, *m_lists, *m_helpLine, *m_dialogs);
    m_sessionSwitch = std::make_unique<SessionSwitch>(c, model, *m_lists, *m_helpLine);
    setTwipsGeometry(this, QRect(0, 0, 7905, 5295));
    m_loginBoxes = std::make_unique<LoginBoxes>(c, model);
    m_scanControls = std::make_unique<ScanControls>(c, model, *m_dialogs);
    m_panel = std::make_unique<Panel>(c, model, *m_lists, *m_helpLine);
    m_tray = std::make_unique<TrayControls>(c, model, [this] { bringBack(); });
    new WindowEvents(
        this, model, [this] { return m_tray->hidesWhenMinimised(); },
        [this] { m_lists->layoutLists(); });
    connectHistory();
    m_announcer = std::make_unique<OnlineAnnouncer>(model, this, [this] { bringBack(); });
    connect(c.ButExit, &QPushButton::clicked, this, [this] { endProgram(ExitRoute::ExitButton); });
    auto *preferences = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma), this);
    preferences->setObjectName(QStringLiteral("ShortcutPreferences"));
    connect(preferences, &QShortcut::activated, this, &Form1::showPreferences);
    connectModel();
}

Form1::~Form1()
{
    // Hide while the window is whole: the box that has the focus loses it now, and its handlers
    // still find the parts they work on. Hidden later, during the destruction, they would not.
    hide();
    m_model.disconnect(this);
}

void Form1::connectModel()
{
    connect(&m_model, &MainModel::historyReading, this,
            [this] { m_controls.LabInfo->setText(texts::ReadingFile); });
    connect(&m_model, &MainModel::focusParkRequested, this, [this] { parkFocus(m_controls); });
    connect(&m_model, &MainModel::manageListLeaveRequested, this,
            [this] { m_manageList->showMainList(); });
    connect(&m_model, &MainModel::manageListRefillDue, this,
            [this](const QList<int> &rowsByKey) { m_lists->refillManageList(rowsByKey); });
    connect(&m_model, &MainModel::mainListRefillDue, this, [this] {
        m_lists->fillMainList();
        m_lists->layoutLists();
    });
}

void Form1::showTable()
{
    m_model.sortByKey();
    m_lists->fillManageList();
    m_model.sortOnlineFirst();
    m_lists->fillMainList();
    m_lists->layoutLists();
}

void Form1::showManageList()
{
    m_manageList->show();
}

void Form1::showMainList()
{
    m_manageList->showMainList();
}

void Form1::switchSession()
{
    m_sessionSwitch->switchSession();
}

void Form1::bringBack()
{
    showNormal();
    raise();
    activateWindow();
    m_lists->layoutLists();
}

void Form1::showPreferences()
{
    if (!m_preferences) {
        // The autostart entry starts this program with this data directory.
        m_preferences = new PreferencesWindow(m_model,
                                              {QCoreApplication::applicationFilePath(),
                                               QStringLiteral("--minimized"),
                                               QStringLiteral("--data-dir"), m_model.dataDir()},
                                              this);
        m_preferences->showPreferences();
    }
    m_preferences->show();
    m_preferences->raise();
    m_preferences->activateWindow();
}

PreferencesWindow *Form1::preferences() const
{
    return m_preferences;
}

Form2 *Form1::dialog() const
{
    return m_dialogs->dialog();
}

void Form1::setTrayIcon(std::unique_ptr<TrayIcon> icon)
{
    m_tray->setIcon(std::move(icon));
}

void Form1::setNotifier(std::unique_ptr<Notifier> notifier)
{
    m_announcer->setNotifier(std::move(notifier));
}

} // namespace amiscan
