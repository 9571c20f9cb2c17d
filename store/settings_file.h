#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace amiscan {

// The settings file "Amiscan.ini": the options, the account and the repeat interval, in the
// section "Parameters".
namespace settings {

enum Key : int
{
    AutoStart,
    AutoHide,
    UserName,
    UserPw,
    ScanTimer,
    TimerOn,
    Filter,
    FriendsOff,
    DisplayUser,
    MinimizeIcon,
    NotifyOnline,
    KeyCount
};

// The keys in the order they are read and written; the flag keys accept only "0" or "1". Keys
// added later come last, so files of earlier versions read as before: a missing flag key
// changes nothing. A key that is only read is one of an earlier version, whose value now lives in
// a section of our own: writing removes it.
struct KeyInfo
{
    const char *name;
    bool flag;
    bool written = true;
};
inline constexpr std::array<KeyInfo, KeyCount> Keys{{
    {"AutoStart", true},
    {"AutoHide", true},
    {"UserName", false},
    {"UserPw", false},
    {"ScanTimer", false},
    {"TimerOn", true},
    {"Filter", true},
    {"FriendsOff", true},
    {"DisplayUser", true},
    {"MinimizeIcon", true},
    {"NotifyOnline", true, false},
}};

inline const QString Section = QStringLiteral("Parameters");
// Our own key, never written: the service's address that scans use instead of the built-in one.
inline const QString ServiceUrlKey = QStringLiteral("ServiceUrl");
// A value read is cut to this many characters (not 16-bit units: no character is cut apart).
inline constexpr int MaxValueLength = 254;

using Values = std::array<QString, KeyCount>;

// A key of a section of our own beside "Parameters", whose keys never change.
struct OwnKey
{
    QString section;
    QString key;
};
// Such keys with the values to write, in order.
using OwnValues = QList<std::pair<OwnKey, QString>>;

struct ReadResult
{
    bool exists = false;
    // False when the file exists but cannot be read; it must not be written over then.
    bool readable = true;
    // Every key's value as read, empty when missing.
    Values values;
    QString serviceUrl;
    // The values of the keys of our own sections asked for, in their order, empty when missing.
    QStringList own;
    // [Log] KeepDays: the days of the presence log to keep; none (missing, or not a whole number
    // from 1 on) keeps everything.
    std::optional<int> keepDays;
};

// The presence log's own section, apart from "Parameters", whose keys never change.
inline const QString LogSection = QStringLiteral("Log");
inline const QString KeepDaysKey = QStringLiteral("KeepDays");

// A flag key's value: only "0" and "1" exactly; anything else changes nothing.
std::optional<bool> acceptedFlag(const QString &value);
inline QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

ReadResult readFile(const QString &path, const QList<OwnKey> &ownKeys = {});
// Writes the keys in order, then those of our own sections, keeping every other line of the
// file. Writes nothing and answers false when an existing file cannot be read, so its content is
// never lost. On failure `*error` says why.
bool writeFile(const QString &path, const Values &values, QString *error = nullptr,
               const OwnValues &own = {});
// Writes [Log] KeepDays (none: removes the value, so everything is kept), keeping the rest.
bool writeKeepDays(const QString &path, std::optional<int> days, QString *error = nullptr);

} // namespace settings
} // namespace amiscan
