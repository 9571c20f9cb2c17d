#include "ui/line_list.h"

#include <QMouseEvent>

namespace amiscan {

LineListModel::LineListModel(bool checkable, QObject *parent)
    : QAbstractListModel(parent), m_checkable(checkable)
{
}

int LineListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant LineListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    if (role == Qt::DisplayRole)
        return line(index.row());
    if (role == Qt::AccessibleTextRole)
        return spokenLine(index.row());
    if (role == Qt::CheckStateRole && m_checkable)
        return m_checked.at(index.row()) ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool LineListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_checkable || role != Qt::CheckStateRole || !index.isValid() ||
        index.row() >= m_lines.size())
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags LineListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (m_checkable)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

void LineListModel::setChecked(int row, bool checked)
{
    if (!m_checkable || m_checked.at(row) == checked)
        return;
    m_checked[row] = checked;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {Qt::CheckStateRole});
}

int LineListModel::tableRow(int row) const
{
    const FriendsTable::RowId friendId = friendIdAt(row);
    return friendId != 0 && m_table ? m_table->findRow(friendId) : 0;
}

QString LineListModel::line(int row) const
{
    const int friendRow = tableRow(row);
    return friendRow > 0 ? friendLine(*m_table, friendRow, m_modes) : ownText(row);
}

QString LineListModel::spokenLine(int row) const
{
    const int friendRow = tableRow(row);
    return friendRow > 0 ? spokenFriendLine(*m_table, friendRow, m_modes)
                         : amiscan::spokenLine(ownText(row));
}

void LineListModel::keepTextOf(FriendsTable::RowId friendId)
{
    for (qsizetype row = 0; row < m_lines.size(); ++row) {
        if (friendIdAt(int(row)) == friendId)
            m_lines[row] = keep(ListLine{0, line(int(row))});
    }
}

quint32 LineListModel::keep(ListLine line)
{
    if (line.text.isEmpty() && (line.friendId & TextMark) == 0)
        return line.friendId;
    m_texts << std::move(line);
    return quint32(m_texts.size() - 1) | TextMark;
}

FriendsTable::RowId LineListModel::friendIdAt(int row) const
{
    const quint32 kept = m_lines.at(row);
    return (kept & TextMark) != 0 ? m_texts.at(kept & ~TextMark).friendId : kept;
}

QString LineListModel::ownText(int row) const
{
    const quint32 kept = m_lines.at(row);
    return (kept & TextMark) != 0 ? m_texts.at(kept & ~TextMark).text : QString();
}

void LineListModel::setLines(QList<ListLine> lines, QList<bool> checked, const FriendsTable *table,
                             LineModes modes)
{
    beginResetModel();
    m_texts.clear();
    m_lines.clear();
    m_lines.reserve(lines.size());
    for (ListLine &line : lines)
        m_lines << keep(std::move(line));
    lines.clear();
    m_table = table;
    m_modes = modes;
    if (!m_checkable)
        m_checked.clear();
    else if (checked.size() == m_lines.size())
        m_checked = std::move(checked);
    else
        m_checked = QList<bool>(m_lines.size(), true);
    endResetModel();
}

void LineListModel::setAllChecked(const QList<bool> &checked)
{
    if (!m_checkable || checked.size() != m_lines.size() || m_lines.isEmpty())
        return;
    m_checked = checked;
    emit dataChanged(index(0), index(int(m_lines.size()) - 1), {Qt::CheckStateRole});
}

QHash<FriendsTable::RowId, bool> LineListModel::friendMarks() const
{
    QHash<FriendsTable::RowId, bool> marks;
    for (qsizetype row = 0; m_checkable && row < m_lines.size(); ++row) {
        if (const FriendsTable::RowId friendId = friendIdAt(int(row)); friendId != 0)
            marks.insert(friendId, m_checked.at(row));
    }
    return marks;
}

void LineListModel::setFriendMarks(const QHash<FriendsTable::RowId, bool> &marks)
{
    for (qsizetype row = 0; m_checkable && !marks.isEmpty() && row < m_lines.size(); ++row) {
        const auto mark = marks.constFind(friendIdAt(int(row)));
        if (mark != marks.constEnd())
            setChecked(int(row), *mark);
    }
}

void LineListModel::removeLine(int row)
{
    if (row < 0 || row >= m_lines.size())
        return;
    beginRemoveRows({}, row, row);
    m_lines.removeAt(row);
    if (m_checkable)
        m_checked.removeAt(row);
    endRemoveRows();
}

LineList::LineList(bool checkable, QWidget *parent)
    : QListView(parent), m_model(new LineListModel(checkable, this))
{
    setModel(m_model);
    setUniformItemSizes(true);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { emit currentRowChanged(current.row()); });
}

QString LineList::lineText(int row) const
{
    return row >= 0 && row < count() ? m_model->line(row) : QString();
}

Qt::CheckState LineList::checkState(int row) const
{
    return m_model->data(m_model->index(row), Qt::CheckStateRole).value<Qt::CheckState>();
}

void LineList::setCheckState(int row, Qt::CheckState state)
{
    if (row >= 0 && row < count())
        m_model->setChecked(row, state == Qt::Checked);
}

void LineList::setLines(const QStringList &lines, const QList<bool> &checked)
{
    QList<ListLine> texts;
    texts.reserve(lines.size());
    for (const QString &line : lines)
        texts << ListLine{0, line};
    m_model->setLines(std::move(texts), checked);
}

void LineList::setFriendLines(const FriendsTable &table, LineModes modes, QList<ListLine> lines,
                              const QList<bool> &checked)
{
    m_model->setLines(std::move(lines), checked, &table, modes);
}

QList<bool> LineList::checkedLines() const
{
    QList<bool> checked(count());
    for (int i = 0; i < count(); ++i)
        checked[i] = m_model->isChecked(i);
    return checked;
}

void LineList::setAllChecked(bool checked)
{
    m_model->setAllChecked(QList<bool>(count(), checked));
}

void LineList::removeLine(int row)
{
    m_model->removeLine(row);
}

void LineList::mousePressEvent(QMouseEvent *event)
{
    // The check box takes the press for its mark alone: the line becomes current all the same,
    // as a press elsewhere on it makes it.
    const QModelIndex pressed = indexAt(event->position().toPoint());
    if (m_model->isCheckable() && pressed.isValid() && event->button() == Qt::LeftButton &&
        pressed != currentIndex())
        setCurrentRow(pressed.row());
    QListView::mousePressEvent(event);
    // The line's handling may have cleared the current line as the press made it current; the
    // press selects it only afterwards, and nothing may stay selected then.
    if (!currentIndex().isValid())
        clearSelection();
}

QModelIndex LineList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex next = QListView::moveCursor(action, modifiers);
    const int step = action == MoveDown ? 1 : action == MoveUp ? -1 : 0;
    if (!m_passedByKeys || step == 0 || !next.isValid())
        return next;
    for (int row = next.row(); row >= 0 && row < count(); row += step) {
        if (!m_passedByKeys(lineText(row)))
            return m_model->index(row);
    }
    return next;
}

void LineList::setCurrentRow(int row)
{
    // As a list with single selection does: the current line is the one selected.
    selectionModel()->setCurrentIndex(m_model->index(row), QItemSelectionModel::ClearAndSelect);
}

} // namespace amiscan
