#include "store/settings_file.h"

#include "store/characters.h"
#include "store/profile_file.h"
#include "store/safe_file.h"

namespace amiscan::settings {

std::optional<bool> acceptedFlag(const QString &value)
{
    if (value == u"0")
        return false;
    if (value == u"1")
        return true;
    return std::nullopt;
}

namespace {

QString cutValue(const QString &value)
{
    return leftCharacters(value, MaxValueLength).toString();
}

} // namespace

ReadResult readFile(const QString &path, const QList<OwnKey> &ownKeys)
{
    ReadResult result;
    for (qsizetype i = 0; i < ownKeys.size(); ++i)
        result.own << QString();
    if (!fileExists(path))
        return result;
    result.exists = true;
    ProfileFile profile;
    result.readable = profile.load(path);
    for (qsizetype i = 0; i < ownKeys.size(); ++i)
        result.own[i] = cutValue(profile.value(ownKeys.at(i).section, ownKeys.at(i).key));
    for (int key = 0; key < KeyCount; ++key) {
        result.values[size_t(key)] =
            cutValue(profile.value(Section, QString::fromLatin1(Keys[size_t(key)].name)));
    }
    result.serviceUrl = cutValue(profile.value(Section, ServiceUrlKey));
    bool number = false;
    const int days = profile.value(LogSection, KeepDaysKey).toInt(&number);
    if (number && days > 0)
        result.keepDays = days;
    return result;
}

bool writeFile(const QString &path, const Values &values, QString *error, const OwnValues &own)
{
    ProfileFile profile;
    if (!profile.load(path)) {
        if (error)
            *error = QStringLiteral("The file cannot be read.");
        return false;
    }
    for (int key = 0; key < KeyCount; ++key) {
        const QString name = QString::fromLatin1(Keys[size_t(key)].name);
        if (Keys[size_t(key)].written)
            profile.setValue(Section, name, values[size_t(key)]);
        else
            profile.removeValue(Section, name);
    }
    for (const auto &[key, value] : own)
        profile.setValue(key.section, key.key, value);
    return profile.save(path, error);
}

bool writeKeepDays(const QString &path, std::optional<int> days, QString *error)
{
    ProfileFile profile;
    if (!profile.load(path)) {
        if (error)
            *error = QStringLiteral("The file cannot be read.");
        return false;
    }
    profile.setValue(LogSection, KeepDaysKey, days ? QString::number(*days) : QString());
    return profile.save(path, error);
}

} // namespace amiscan::settings
