#pragma once

#include <QString>

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
// changes nothing.
struct KeyInfo
{
    const char *name;
    bool flag;
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
    {"NotifyOnline", true},
}};

inline const QString Section = QStringLiteral("Parameters");
// Our own key, never written: the service's address that scans use instead of the built-in one.
inline const QString ServiceUrlKey = QStringLiteral("ServiceUrl");
// A value read is cut to this many characters (not 16-bit units: no character is cut apart).
inline constexpr int MaxValueLength = 254;

using Values = std::array<QString, KeyCount>;

struct ReadResult
{
    bool exists = false;
    // False when the file exists but cannot be read; it must not be written over then.
    bool readable = true;
    // Every key's value as read, empty when missing.
    Values values;
    QString serviceUrl;
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

ReadResult readFile(const QString &path);
// Writes the keys in order, keeping every other line of the file. Writes nothing and
// answers false when an existing file cannot be read, so its content is never lost. On failure
// `*error` says why.
bool writeFile(const QString &path, const Values &values, QString *error = nullptr);
// Writes [Log] KeepDays (none: removes the value, so everything is kept), keeping the rest.
bool writeKeepDays(const QString &path, std::optional<int> days, QString *error = nullptr);

} // namespace settings
} // namespace amiscan
