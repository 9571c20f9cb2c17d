#include "lists/list_title.h"

namespace amiscan {

QString listModeCode(bool scanStarted, bool onlySelected, bool hideOffline)
{
    QString code;
    code += scanStarted ? u'1' : u'0';
    code += onlySelected ? u'1' : u'0';
    code += hideOffline ? u'1' : u'0';
    return code;
}

ListTitle listTitle(bool scanStarted, bool onlySelected, bool hideOffline,
                    const ListCounters &counters)
{
    const QString online = QString::number(counters.onlineCount);
    const QString shownOnline = QString::number(counters.shownOnlineCount);
    const QString selected = QString::number(counters.selectedCount);
    const QString listed = QString::number(counters.listedCount);

    ListTitle title;
    const QString code = listModeCode(scanStarted, onlySelected, hideOffline);
    if (code == u"000") {
        title.caption = QStringLiteral("Friends: ") + listed;
        title.tooltip = QStringLiteral(" Friends: ") + listed + u' ';
    } else if (code == u"001" || code == u"101") {
        title.caption = QStringLiteral("Friends only Online: ") + online;
        title.tooltip =
            QStringLiteral(" Friends only Online: ") + online + QStringLiteral(" (Offline hide) ");
    } else if (code == u"010") {
        title.caption = QStringLiteral("Selected friends: ") + selected + u'/' + listed;
        title.tooltip = QStringLiteral(" Selected friends: ") + selected + QStringLiteral(" of ") +
                        listed + u' ';
    } else if (code == u"011" || code == u"111") {
        title.caption =
            QStringLiteral("Selected friends only Online: ") + shownOnline + u'/' + online;
        title.tooltip = QStringLiteral(" Selected friends only Online: ") + shownOnline +
                        QStringLiteral(" of ") + online + QStringLiteral(" (Offline hide) ");
    } else if (code == u"100") {
        title.caption = QStringLiteral("Friends Online: ") + online + u'/' + listed;
        title.tooltip =
            QStringLiteral(" Friends Online: ") + online + QStringLiteral(" of ") + listed + u' ';
    } else if (code == u"110") {
        title.caption = QStringLiteral("Selected friends Online: ") + shownOnline + u'/' +
                        selected + QStringLiteral("  (") + online + u'/' + listed + u')';
        title.tooltip = QStringLiteral(" Selected friends Online: ") + shownOnline +
                        QStringLiteral(" of ") + selected + QStringLiteral(" ( All Online: ") +
                        online + QStringLiteral(" of ") + listed + QStringLiteral(") ");
    }

    if (!scanStarted)
        title.windowCaption = QStringLiteral("Amiscan");
    else
        title.windowCaption = QStringLiteral("Amiscan : ") + (onlySelected ? shownOnline : online);
    return title;
}

} // namespace amiscan
