#pragma once

#include "lists/friend_line.h"
#include "store/friends_table.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QListView>
#include <QStringList>

#include <functional>

namespace amiscan {

// One line of a list: a friend's line, built from the friends table only when it is shown, or a
// text of its own (friendId 0).
struct ListLine
{
    FriendsTable::RowId friendId = 0;
    QString text;
};

// The lines of a list and, for a list with check marks, each line's mark. A friend's line is
// built when it is drawn or read, with the name and session shown when the list was filled, so
// a list of every friend fills at once and costs no text per line.
class LineListModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LineListModel)

public:
    LineListModel(bool checkable, QObject *parent);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QString line(int row) const;
    // The line in words, for screen readers: the friend and their session, not columns of dots.
    QString spokenLine(int row) const;
    bool isCheckable() const { return m_checkable; }
    bool isChecked(int row) const { return m_checked.at(row); }
    void setChecked(int row, bool checked);
    // Every line at once, with its mark (every line checked when the marks do not match). The
    // friends' lines are built from the table, which must outlive the list.
    void setLines(QList<ListLine> lines, QList<bool> checked, const FriendsTable *table = nullptr,
                  LineModes modes = {});
    // The friend's lines keep the text they show now: the friend is about to leave the table.
    void keepTextOf(FriendsTable::RowId friendId);
    void setAllChecked(const QList<bool> &checked);
    // The mark of each friend's line, by the friend's row id; and those marks put back on the
    // friends' lines, wherever they are now (other lines keep theirs).
    QHash<FriendsTable::RowId, bool> friendMarks() const;
    void setFriendMarks(const QHash<FriendsTable::RowId, bool> &marks);
    void removeLine(int row);

private:
    // The friend's row in the table, 0 for a line of its own.
    int tableRow(int row) const;

    // A line as kept, in four bytes for lists of tens of thousands of friends: the friend's
    // number, or with TextMark the place among m_texts of a line with a text of its own.
    static constexpr quint32 TextMark = 1u << 31;
    quint32 keep(ListLine line);
    FriendsTable::RowId friendIdAt(int row) const;
    QString ownText(int row) const;

    bool m_checkable;
    QList<quint32> m_lines;
    // The lines with texts of their own (few: separators, the empty list's line).
    QList<ListLine> m_texts;
    const FriendsTable *m_table = nullptr;
    LineModes m_modes;
    // One mark per line in a list with marks; empty otherwise.
    QList<bool> m_checked;
};

// A list of text lines, with a check mark before each when the list has marks. Lines are only
// drawn when they come into view, and all have the same height.
class LineList final : public QListView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LineList)

public:
    LineList(bool checkable, QWidget *parent);

    int count() const { return m_model->rowCount(); }
    QString lineText(int row) const;
    Qt::CheckState checkState(int row) const;
    void setCheckState(int row, Qt::CheckState state);
    // The whole list, lines and marks, replaced at once; marks given per line when the list
    // has them (all checked when none are given).
    void setLines(const QStringList &lines, const QList<bool> &checked = {});
    // The same with friends' lines, built from the table as they are shown.
    void setFriendLines(const FriendsTable &table, LineModes modes, QList<ListLine> lines,
                        const QList<bool> &checked = {});
    void keepTextOf(FriendsTable::RowId friendId) { m_model->keepTextOf(friendId); }
    // The marks of every line, in order.
    QList<bool> checkedLines() const;
    void setAllChecked(bool checked);
    QHash<FriendsTable::RowId, bool> friendMarks() const { return m_model->friendMarks(); }
    void setFriendMarks(const QHash<FriendsTable::RowId, bool> &marks)
    {
        m_model->setFriendMarks(marks);
    }
    void removeLine(int row);
    void clear() { setLines({}); }

    // The current line, -1 for none; making a line current selects it.
    int currentRow() const { return currentIndex().row(); }
    void setCurrentRow(int row);
    // Lines that the arrow keys pass over to the next line beyond that they do not pass over;
    // with no such line beyond, the keys move as usual.
    void passOverWithKeys(std::function<bool(const QString &line)> passed)
    {
        m_passedByKeys = std::move(passed);
    }

signals:
    void currentRowChanged(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    LineListModel *m_model;
    std::function<bool(const QString &line)> m_passedByKeys;
};

} // namespace amiscan
