#include "tools/vey-sim/roster.h"

#include <QFile>

#include <array>

namespace amiscan::sim {

namespace {

struct NamePair
{
    const char *displayName;
    const char *userName;
};

// UTF-8 literals: the accented names must reach the page as the real letters.
constexpr std::array builtInNames{
    NamePair{"Ann Lee", "ann.lee"},
    NamePair{"Bob Martin", "bobm"},
    NamePair{"Carla Diaz", "carla.diaz"},
    NamePair{"David Chen", "dchen"},
    NamePair{"Emma Brown", "emma_b"},
    NamePair{"Frank Miller", "frank.miller"},
    NamePair{"Grace Kim", "gracek"},
    NamePair{"Henry Ford", "henry.f"},
    NamePair{"Iris Novak", "iris.novak"},
    NamePair{"Jack Wilson", "jackw"},
    NamePair{"Karen Hughes", "karen.h"},
    NamePair{"Leo Rossi", "leo.rossi"},
    NamePair{"Mia Schmidt", "mia.s"},
    NamePair{"Noah Clark", "noahc"},
    NamePair{"Olivia Turner", "olivia.t"},
    NamePair{"Paul Walker", "paulw"},
    NamePair{"Q", "q.agent"},
    NamePair{"Rachel Green", "rachel.g"},
    NamePair{"Sam Taylor", "sam.taylor"},
    NamePair{"Sam Taylor", "sam.taylor2"},
    NamePair{"Zo\u00e9 Martin", "zoe.martin"},
    NamePair{"Jos\u00e9 \u00c1lvarez", "jalvarez"},
    NamePair{"J. R. Parker", "jrparker"},
    NamePair{"Liam O'Neill", "liam.oneill"},
    NamePair{"Maximilian Fairweather", "max.fair"},
    NamePair{"Alexandria Montgomery", "alex.mont"},
    NamePair{"Bartholomew Richardson", "bart.rich"},
    NamePair{"Nadia Petrova", "nadia.p"},
    NamePair{"Oscar Lindqvist", "oscar.l"},
    NamePair{"Priya Sharma", "priya.s"},
    NamePair{"Ravi Kumar", "ravik"},
    NamePair{"Sofia Costa", "sofia.c"},
    NamePair{"Tom Baker", "tbaker"},
    NamePair{"Uma Patel", "uma.p"},
    NamePair{"Victor Hugo", "victor.h"},
    NamePair{"Wendy Adams", "wendy.a"},
    NamePair{"Xavier Dupont", "xavier.d"},
    NamePair{"Yuki Tanaka", "yuki.t"},
    NamePair{"Mystery Guest", ""},
    NamePair{"Anna-Lena Berg", "annalena"},
    NamePair{"ben2000", "ben2000"},
};

// SplitMix64 finaliser: a fixed, portable mixing of the seed, friend and period numbers.
quint64 mix(quint64 value)
{
    value += 0x9e3779b97f4a7c15ULL;
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ULL;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebULL;
    return value ^ (value >> 31);
}

quint64 draw(quint64 seed, int index, int slot)
{
    return mix(mix(mix(seed) ^ quint64(index)) ^ quint64(slot));
}

constexpr int periodPairs = 8; // online/offline pairs before a friend's pattern repeats
constexpr qint64 minOnline = 120, spanOnline = 481;   // 2 to 10 minutes
constexpr qint64 minOffline = 120, spanOffline = 781; // 2 to 15 minutes

struct Period
{
    qint64 online;
    qint64 offline;
};

std::array<Period, periodPairs> periodsOf(quint64 seed, int index)
{
    std::array<Period, periodPairs> periods{};
    for (int i = 0; i < periodPairs; ++i)
        periods[size_t(i)] = {minOnline + qint64(draw(seed, index, 2 * i) % spanOnline),
                              minOffline + qint64(draw(seed, index, 2 * i + 1) % spanOffline)};
    return periods;
}

} // namespace

QList<RosterFriend> builtInRoster()
{
    QList<RosterFriend> roster;
    roster.reserve(qsizetype(builtInNames.size()));
    for (const NamePair &names : builtInNames)
        roster.append({QString::fromUtf8(names.displayName), QString::fromUtf8(names.userName)});
    return roster;
}

std::optional<QList<RosterFriend>> readRosterFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot read roster %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QList<RosterFriend> roster;
    const QString text = QString::fromUtf8(file.readAll());
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0)
            roster.append({line, QString()});
        else
            roster.append({line.left(tab), line.mid(tab + 1)});
    }
    return roster;
}

bool isOnline(quint64 seed, int index, qint64 simSeconds)
{
    const auto periods = periodsOf(seed, index);
    qint64 cycle = 0;
    for (const Period &period : periods)
        cycle += period.online + period.offline;
    // Each friend starts the pattern at its own point, so friends do not change together.
    const qint64 phase = qint64(draw(seed, index, -1) % quint64(cycle));
    qint64 position = simSeconds % cycle;
    if (position < 0)
        position += cycle;
    position = (position + phase) % cycle;
    for (const Period &period : periods) {
        if (position < period.online)
            return true;
        position -= period.online;
        if (position < period.offline)
            return false;
        position -= period.offline;
    }
    return false;
}

QList<RosterFriend> onlineFriends(const QList<RosterFriend> &roster, quint64 seed,
                                  qint64 simSeconds)
{
    QList<RosterFriend> online;
    for (int i = 0; i < roster.size(); ++i) {
        if (isOnline(seed, i, simSeconds))
            online.append(roster.at(i));
    }
    return online;
}

} // namespace amiscan::sim
