#include "ui/history_window.h"

#include "model/main_model.h"
#include "store/clock.h"
#include "ui/history_look.h"
#include "ui/pattern_view.h"
#include "ui/timeline_view.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

namespace amiscan {

namespace {

using namespace history_look;

// The log is read again this long after a scan, once the log has written it.
constexpr int RefreshAfterScanMs = 1500;
constexpr int UserNameRole = Qt::UserRole;

struct ExportChoice
{
    const char *filter;
    ExportFormat format;
    const char *suffix;
};
constexpr ExportChoice ExportChoices[] = {
    {"CSV (*.csv)", ExportFormat::Csv, "csv"},
    {"JSON (*.json)", ExportFormat::Json, "json"},
    {"Calendar (*.ics)", ExportFormat::Ics, "ics"},
};

QIcon dot(const QColor &colour)
{
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(2, 2, 8, 8);
    return QIcon(pixmap);
}

QString seenText(const Period &p)
{
    if (p.imported)
        return QStringLiteral("imported");
    if (p.startSeen && p.endSeen)
        return QStringLiteral("seen");
    if (p.startSeen)
        return QStringLiteral("end unseen");
    return p.endSeen ? QStringLiteral("start unseen") : QStringLiteral("neither seen");
}

} // namespace

HistoryWindow::HistoryWindow(MainModel &model, QWidget *parent)
    : QWidget(parent, Qt::Window), m_model(model), m_reader(model.dataDir()),
      m_lastDay(Clock::now().date())
{
    setObjectName(QStringLiteral("HistoryWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Amiscan \u2013 History"));
    setWindowIcon(QIcon(QStringLiteral(":/amiscan/amiscan.png")));
    buildControls();
    connect(&m_reader, &HistoryModel::viewReady, this, &HistoryWindow::showView);
    connect(&m_reader, &HistoryModel::exported, this,
            [this](const QString &path, const QString &error) {
                m_status->setText(
                    error.isEmpty()
                        ? QStringLiteral("Exported %1 periods to %2").arg(m_shown.size()).arg(path)
                        : QStringLiteral("Cannot write %1: %2").arg(path, error));
                emit exportEnded(error);
            });
    // Who is online changes with every scan; the log has the scan a moment later.
    connect(&model, &MainModel::mainListRefillDue, this, &HistoryWindow::fillFriends);
    m_refresh = new QTimer(this);
    m_refresh->setSingleShot(true);
    m_refresh->setInterval(RefreshAfterScanMs);
    connect(m_refresh, &QTimer::timeout, this, &HistoryWindow::askView);
    connect(&model, &MainModel::scanStamped, m_refresh, qOverload<>(&QTimer::start));
    fillFriends();
    showDays(m_lastDay);
    resize(1040, 640);
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::buildControls()
{
    const auto named = [](auto *widget, const char *name) {
        widget->setObjectName(QLatin1StringView(name));
        return widget;
    };
    m_search = named(new QLineEdit, "HistorySearch");
    m_search->setPlaceholderText(QStringLiteral("Search friends"));
    m_search->setClearButtonEnabled(true);
    m_search->setAccessibleName(QStringLiteral("Search friends"));
    m_friends = named(new QListWidget, "HistoryFriends");
    m_friends->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Thousands of friends are laid out at once, not measured one by one at every resize.
    m_friends->setUniformItemSizes(true);
    m_friends->setToolTip(QStringLiteral("Ctrl+click to show a few friends together"));
    auto *left = new QVBoxLayout;
    left->addWidget(m_search);
    left->addWidget(m_friends);

    m_earlier = named(new QPushButton(QStringLiteral("\u25C0 Earlier")), "HistoryEarlier");
    m_later = named(new QPushButton(QStringLiteral("Later \u25B6")), "HistoryLater");
    m_today = named(new QPushButton(QStringLiteral("Today")), "HistoryToday");
    m_zoomOut =
        named(new QPushButton(QStringLiteral("All %1 days").arg(HistoryDays)), "HistoryZoomOut");
    m_export = named(new QPushButton(QStringLiteral("Export\u2026")), "HistoryExport");
    m_range = named(new QLabel, "HistoryRange");
    auto *navigation = new QHBoxLayout;
    for (QWidget *w : {static_cast<QWidget *>(m_earlier), static_cast<QWidget *>(m_later),
                       static_cast<QWidget *>(m_today), static_cast<QWidget *>(m_range),
                       static_cast<QWidget *>(m_zoomOut)})
        navigation->addWidget(w);
    navigation->addStretch();
    navigation->addWidget(m_export);

    m_legend = named(new QLabel, "HistoryLegend");
    m_timeline = new TimelineView;
    // Painted: a screen reader is told what it is and where the same periods are read as text.
    m_timeline->setAccessibleName(QStringLiteral("Timeline"));
    m_timeline->setAccessibleDescription(
        QStringLiteral("The online periods day by day; the Periods tab lists them"));
    m_timelineScroll = new QScrollArea;
    m_timelineScroll->setWidgetResizable(true);
    m_timelineScroll->setWidget(m_timeline);
    auto *timelinePage = new QWidget;
    auto *timelineLayout = new QVBoxLayout(timelinePage);
    timelineLayout->addWidget(m_legend);
    timelineLayout->addWidget(m_timelineScroll);

    m_patternFriend = named(new QComboBox, "PatternFriend");
    m_pattern = new PatternView;
    m_pattern->setAccessibleName(QStringLiteral("Weekly pattern"));
    m_summary = named(new QLabel, "PatternSummary");
    m_basis = named(new QLabel, "PatternBasis");
    auto *patternPage = new QWidget;
    auto *patternLayout = new QVBoxLayout(patternPage);
    patternLayout->addWidget(m_patternFriend, 0, Qt::AlignLeft);
    patternLayout->addWidget(m_pattern, 1);
    patternLayout->addWidget(m_summary);
    patternLayout->addWidget(m_basis);

    m_periods = named(new QTableWidget(0, 7), "HistoryPeriods");
    m_periods->setHorizontalHeaderLabels(
        {"Friend", "Start", "End", "Length", "Earliest start", "Latest end", "Seen"});
    m_periods->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_periods->verticalHeader()->hide();
    // Widths set once: measuring every cell at each view would hold the window up.
    const QFontMetrics metrics(m_periods->font());
    const int stampWidth = metrics.horizontalAdvance(QStringLiteral("00/00/00 00:00")) + 16;
    for (const int column : {1, 2, 4, 5})
        m_periods->setColumnWidth(column, stampWidth);
    m_periods->setColumnWidth(0, stampWidth);

    m_tabs = named(new QTabWidget, "HistoryTabs");
    m_tabs->addTab(timelinePage, QStringLiteral("Timeline"));
    m_tabs->addTab(patternPage, QStringLiteral("Pattern"));
    m_tabs->addTab(m_periods, QStringLiteral("Periods"));
    m_status = named(new QLabel, "HistoryStatus");
    auto *right = new QVBoxLayout;
    right->addLayout(navigation);
    right->addWidget(m_tabs, 1);
    right->addWidget(m_status);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right, 4);

    connect(m_search, &QLineEdit::textChanged, this, &HistoryWindow::filterFriends);
    connect(m_friends, &QListWidget::itemSelectionChanged, this, &HistoryWindow::friendsChanged);
    connect(m_earlier, &QPushButton::clicked, this,
            [this] { moveDays(m_timeline->isZoomed() ? -1 : -7); });
    connect(m_later, &QPushButton::clicked, this,
            [this] { moveDays(m_timeline->isZoomed() ? 1 : 7); });
    connect(m_today, &QPushButton::clicked, this, [this] {
        zoomOut();
        showDays(Clock::now().date());
    });
    connect(m_zoomOut, &QPushButton::clicked, this, &HistoryWindow::zoomOut);
    connect(m_export, &QPushButton::clicked, this, &HistoryWindow::askExport);
    connect(m_timeline, &TimelineView::zoomAsked, this, [this](const QDate &day) {
        if (m_timeline->isZoomed())
            zoomOut();
        else
            zoom(day);
    });
    connect(m_timeline, &TimelineView::scrollAsked, this, &HistoryWindow::moveDays);
    connect(m_patternFriend, &QComboBox::currentIndexChanged, this, &HistoryWindow::showPattern);
}

// The friends: the chosen ones (the management list's marks) first, then those online now, then
// by name.
void HistoryWindow::fillFriends()
{
    const QStringList chosen = friendsChosen();
    const FriendsTable &table = m_model.table();
    const bool userNames = m_model.state().userNames;
    struct Entry
    {
        QString userName;
        QString displayName;
        bool online;
        bool marked;
    };
    QList<Entry> entries;
    entries.reserve(table.friendCount());
    for (int row = 1; row <= table.friendCount(); ++row) {
        entries.append({table.cellText(row, AccountName),
                        table.cellText(row, DisplayName) + table.cellText(row, NameMark),
                        table.cellText(row, Online) == QLatin1StringView("1"),
                        table.cellText(row, Unselected) != QLatin1StringView("1")});
    }
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
        if (a.marked != b.marked)
            return a.marked;
        if (a.online != b.online)
            return a.online;
        return QString::localeAwareCompare(userNames ? a.userName : a.displayName,
                                           userNames ? b.userName : b.displayName) < 0;
    });
    const QSignalBlocker blocker(m_friends);
    m_friends->clear();
    const QIcon online = dot(QColor(0, 160, 0)), offline = dot(Qt::transparent);
    for (const Entry &e : std::as_const(entries)) {
        const QString name = userNames ? e.userName : e.displayName;
        auto *item = new QListWidgetItem(e.online ? online : offline,
                                         name.compare(e.userName, Qt::CaseInsensitive) == 0
                                             ? name
                                             : QStringLiteral("%1 (%2)").arg(name, e.userName),
                                         m_friends);
        item->setData(UserNameRole, e.userName);
        item->setToolTip(QStringLiteral("%1%2").arg(
            e.online ? QStringLiteral("Online now") : QStringLiteral("Offline"),
            e.marked ? QStringLiteral(", chosen in the friends' list") : QString()));
        if (e.marked) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
    }
    filterFriends();
    if (!chosen.isEmpty()) {
        chooseFriends(chosen);
    } else if (m_friends->count() > 0) {
        // Someone chosen and online, else the first one.
        m_friends->item(0)->setSelected(true);
        m_friends->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        friendsChanged();
    }
}

void HistoryWindow::filterFriends()
{
    const QString text = m_search->text().trimmed();
    for (int i = 0; i < m_friends->count(); ++i) {
        QListWidgetItem *item = m_friends->item(i);
        item->setHidden(!text.isEmpty() && !item->text().contains(text, Qt::CaseInsensitive));
    }
}

void HistoryWindow::chooseFriends(const QStringList &userNames)
{
    {
        const QSignalBlocker blocker(m_friends);
        m_friends->clearSelection();
        for (int i = 0; i < m_friends->count(); ++i) {
            QListWidgetItem *item = m_friends->item(i);
            if (userNames.contains(item->data(UserNameRole).toString())) {
                item->setSelected(true);
                m_friends->scrollToItem(item);
            }
        }
    }
    friendsChanged();
}

QStringList HistoryWindow::friendsChosen() const
{
    QStringList chosen;
    for (int i = 0; i < m_friends->count() && chosen.size() < MaxFriendsTogether; ++i) {
        if (m_friends->item(i)->isSelected())
            chosen << m_friends->item(i)->data(UserNameRole).toString();
    }
    return chosen;
}

void HistoryWindow::friendsChanged()
{
    QList<TimelineLane> lanes;
    QString legend;
    const QSignalBlocker blocker(m_patternFriend);
    m_patternFriend->clear();
    for (int i = 0; i < m_friends->count(); ++i) {
        const QListWidgetItem *item = m_friends->item(i);
        if (!item->isSelected() || lanes.size() == MaxFriendsTogether)
            continue;
        const QColor colour = FriendColours[lanes.size()];
        lanes.append({item->data(UserNameRole).toString(), item->text(), colour});
        legend += QStringLiteral("<span style=\"color:%1\">\u25A0</span> %2&nbsp;&nbsp; ")
                      .arg(colour.name(), item->text().toHtmlEscaped());
        m_patternFriend->addItem(item->text());
    }
    m_legend->setText(legend);
    m_timeline->setLanes(lanes);
    m_timeline->setMinimumHeight(m_timeline->sizeHint().height());
    scrollToLatestDay();
    askView();
}

void HistoryWindow::askView()
{
    const QDate first = m_lastDay.addDays(1 - HistoryDays);
    m_status->setText(QStringLiteral("Reading the presence log\u2026"));
    // In UTC: the log's times compare with them without the C library's local time.
    m_reader.askView(
        {friendsChosen(), first.startOfDay().toUTC(), m_lastDay.addDays(1).startOfDay().toUTC()});
}

void HistoryWindow::showView(const HistoryView &view)
{
    m_view = view;
    m_timeline->setView(view);
    if (!view.error.isEmpty())
        m_status->setText(QStringLiteral("The presence log cannot be read: %1").arg(view.error));
    else if (!view.coverage.firstScan.isValid())
        m_status->setText(QStringLiteral("The presence log holds no scan yet."));
    else
        m_status->clear();
    showPattern();
    fillPeriods();
    emit viewShown();
}

void HistoryWindow::showPattern()
{
    const int index = m_patternFriend->currentIndex();
    if (index < 0 || index >= m_view.patterns.size()) {
        m_pattern->setPattern({}, FriendColours[0]);
        m_summary->clear();
        m_basis->clear();
        m_pattern->setAccessibleDescription({});
        return;
    }
    const WeeklyPattern &pattern = m_view.patterns[index];
    m_pattern->setPattern(pattern, FriendColours[index]);
    m_summary->setText(
        QStringLiteral("%1: %2").arg(m_patternFriend->currentText(), patternSummary(pattern)));
    m_basis->setText(patternBasis(pattern));
    m_pattern->setAccessibleDescription(m_summary->text() + QStringLiteral(", ") + m_basis->text());
}

// What the timeline shows, as a table: the periods that reach into its days.
void HistoryWindow::fillPeriods()
{
    const QDate first = m_timeline->firstDay();
    const QDate last = m_timeline->isZoomed() ? first : m_timeline->lastDay();
    const qint64 from = first.startOfDay().toMSecsSinceEpoch();
    const qint64 to = last.addDays(1).startOfDay().toMSecsSinceEpoch();
    m_shown.clear();
    QHash<QString, QString> names;
    for (int i = 0; i < m_patternFriend->count() && i < m_view.query.friends.size(); ++i)
        names.insert(m_view.query.friends[i], m_patternFriend->itemText(i));
    for (const Period &p : std::as_const(m_view.periods)) {
        const qint64 a = (p.outerStart.isValid() ? p.outerStart : p.innerStart).toMSecsSinceEpoch();
        const qint64 b = (p.outerEnd.isValid() ? p.outerEnd : p.innerEnd).toMSecsSinceEpoch();
        if (b >= from && a < to)
            m_shown << p;
    }
    m_periods->setRowCount(int(m_shown.size()));
    for (int row = 0; row < m_shown.size(); ++row) {
        const Period &p = m_shown[row];
        const QStringList cells{names.value(p.userName, p.userName),
                                stamp(p.innerStart),
                                stamp(p.innerEnd),
                                duration(p.innerStart.msecsTo(p.innerEnd)),
                                stamp(p.outerStart),
                                stamp(p.outerEnd),
                                seenText(p)};
        for (int column = 0; column < cells.size(); ++column)
            m_periods->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
}

void HistoryWindow::moveDays(int days)
{
    if (!m_timeline->isZoomed()) {
        showDays(m_lastDay.addDays(days));
        return;
    }
    // The day zoomed into stays within the days read.
    const QDate day = m_timeline->firstDay().addDays(days);
    m_timeline->zoomTo(day);
    showDays(std::clamp(m_lastDay, day, day.addDays(HistoryDays - 1)));
}

void HistoryWindow::showDays(const QDate &lastDay)
{
    m_lastDay = lastDay;
    m_timeline->setDays(lastDay, HistoryDays);
    m_later->setEnabled(lastDay < Clock::now().date());
    const QDate first = m_timeline->firstDay();
    m_range->setText(m_timeline->isZoomed()
                         ? first.toString(QStringLiteral("dd/MM/yy"))
                         : QStringLiteral("%1 \u2013 %2")
                               .arg(first.toString(QStringLiteral("dd/MM")),
                                    lastDay.toString(QStringLiteral("dd/MM/yy"))));
    m_zoomOut->setVisible(m_timeline->isZoomed());
    m_timeline->setMinimumHeight(m_timeline->sizeHint().height());
    scrollToLatestDay();
    fillPeriods();
    askView();
}

void HistoryWindow::scrollToLatestDay()
{
    // Once the new height is laid out.
    QTimer::singleShot(0, this, [this] {
        QScrollBar *bar = m_timelineScroll->verticalScrollBar();
        bar->setValue(m_timeline->isZoomed() ? bar->minimum() : bar->maximum());
    });
}

void HistoryWindow::zoom(const QDate &day)
{
    m_timeline->zoomTo(day);
    showDays(std::max(m_lastDay, day));
}

void HistoryWindow::zoomOut()
{
    m_timeline->zoomOut();
    m_timeline->setHighlight({}, {});
    showDays(m_lastDay);
}

void HistoryWindow::showStretch(const QDateTime &from, const QDateTime &to,
                                const QStringList &friends)
{
    m_search->clear();
    m_timeline->setHighlight(from, to);
    m_timeline->zoomTo(to.toLocalTime().date());
    showDays(std::max(to.toLocalTime().date(), Clock::now().date()));
    chooseFriends(friends);
    m_tabs->setCurrentIndex(0);
}

void HistoryWindow::askExport()
{
    auto *dialog = new QFileDialog(this, QStringLiteral("Export the periods shown"));
    dialog->setObjectName(QStringLiteral("HistoryExportDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    QStringList filters;
    for (const ExportChoice &choice : ExportChoices)
        filters << QLatin1StringView(choice.filter);
    dialog->setNameFilters(filters);
    dialog->selectFile(QStringLiteral("amiscan-periods.csv"));
    connect(dialog, &QFileDialog::filterSelected, dialog, [dialog](const QString &filter) {
        for (const ExportChoice &choice : ExportChoices) {
            if (filter == QLatin1StringView(choice.filter))
                dialog->setDefaultSuffix(QLatin1StringView(choice.suffix));
        }
    });
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    connect(dialog, &QFileDialog::fileSelected, this,
            [this, dialog](const QString &path) { exportTo(path, dialog->selectedNameFilter()); });
    dialog->open();
}

void HistoryWindow::exportTo(const QString &path, const QString &filter)
{
    ExportFormat format = ExportFormat::Csv;
    for (const ExportChoice &choice : ExportChoices) {
        if (filter == QLatin1StringView(choice.filter))
            format = choice.format;
    }
    m_status->setText(QStringLiteral("Exporting to %1\u2026").arg(path));
    m_reader.exportPeriods(m_shown, format, path);
}

} // namespace amiscan
