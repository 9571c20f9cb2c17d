// The settings reader on any file: the values read, written back as the program writes them,
// read back unchanged, and so does any other value; every line that is not one of the ten keys
// survives the write in its place.
#include "store/profile_file.h"
#include "store/settings_file.h"
#include "store/text_encoding.h"
#include "tests/fuzz/fuzz_check.h"

#include <array>
#include <cstdint>

using namespace amiscan;

namespace {

const QString &keyName(int key)
{
    static const auto names = [] {
        std::array<QString, settings::KeyCount> all;
        for (int k = 0; k < settings::KeyCount; ++k)
            all[size_t(k)] = QString::fromLatin1(settings::Keys[size_t(k)].name);
        return all;
    }();
    return names[size_t(key)];
}

// What the program reads from the file.
settings::Values readValues(const ProfileFile &profile)
{
    settings::Values values;
    for (int key = 0; key < settings::KeyCount; ++key)
        values[size_t(key)] =
            profile.value(settings::Section, keyName(key)).left(settings::MaxValueLength);
    return values;
}

// A line that writing the ten keys may replace.
bool isKeyLine(const QString &line)
{
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return false;
    const QStringView key = QStringView(line).left(equals).trimmed();
    for (int k = 0; k < settings::KeyCount; ++k) {
        if (key.compare(keyName(k), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Writes the values into the profile, saves it to bytes and reads them back.
void checkRoundTrip(const ProfileFile &profile, const settings::Values &values)
{
    ProfileFile written = profile;
    for (int key = 0; key < settings::KeyCount; ++key)
        written.setValue(settings::Section, keyName(key), values[size_t(key)]);
    const ProfileFile reread(decodeFileText(written.toBytes()));
    for (int key = 0; key < settings::KeyCount; ++key) {
        QString expected = values[size_t(key)];
        expected.replace(u'\r', u' ').replace(u'\n', u' ');
        FUZZ_CHECK_EQUAL(reread.value(settings::Section, keyName(key)), expected);
    }
    FUZZ_CHECK_EQUAL(reread.value(settings::Section, settings::ServiceUrlKey),
                     profile.value(settings::Section, settings::ServiceUrlKey));

    // The other lines, in their order.
    const QStringList after = reread.lines();
    qsizetype at = 0;
    for (const QString &line : profile.lines()) {
        if (isKeyLine(line))
            continue;
        while (at < after.size() && after.at(at) != line)
            ++at;
        FUZZ_CHECK(at < after.size());
        ++at;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ProfileFile profile(decodeFileText(bytes));
    // As the program saves right after reading.
    checkRoundTrip(profile, readValues(profile));

    // Any values: the file's own lines, the first one for the first key, and so on.
    const QStringList lines = profile.lines();
    settings::Values values;
    for (qsizetype i = 0; i < lines.size() && i < settings::KeyCount; ++i)
        values[size_t(i)] = lines.at(i).left(settings::MaxValueLength);
    checkRoundTrip(profile, values);
    return 0;
}
