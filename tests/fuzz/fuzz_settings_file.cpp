// The settings reader on any file: the values read, or any others, written back as the program
// writes them read back unchanged, and every line that is not one of the keys survives the write
// in its place.
#include "app/profile_file.h"
#include "app/settings_file.h"
#include "store/text_encoding.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>

using namespace amiscan;

namespace {

QString keyName(int key)
{
    return QString::fromLatin1(settings::Keys[size_t(key)].name);
}

// A line that writing the keys may replace.
bool isKeyLine(const QString &line)
{
    const qsizetype equals = line.indexOf(u'=');
    for (int k = 0; equals >= 0 && k < settings::KeyCount; ++k) {
        if (QStringView(line).left(equals).trimmed().compare(keyName(k), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void checkRoundTrip(const ProfileFile &profile, const settings::Values &values)
{
    ProfileFile written = profile;
    for (int key = 0; key < settings::KeyCount; ++key)
        written.setValue(settings::Section, keyName(key), values[size_t(key)]);
    const ProfileFile reread(decodeFileText(written.toBytes()));
    for (int key = 0; key < settings::KeyCount; ++key)
        FUZZ_CHECK_EQUAL(reread.value(settings::Section, keyName(key)),
                         QString(values[size_t(key)]).replace(u'\r', u' ').replace(u'\n', u' '));
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
        FUZZ_CHECK(at++ < after.size());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const ProfileFile profile(decodeFileText(QByteArrayView(data, qsizetype(size))));
    // As the program saves right after reading, then the file's own lines as the values.
    settings::Values read, lines;
    for (int key = 0; key < settings::KeyCount; ++key) {
        read[size_t(key)] =
            profile.value(settings::Section, keyName(key)).left(settings::MaxValueLength);
        lines[size_t(key)] = profile.lines().value(key).left(settings::MaxValueLength);
    }
    checkRoundTrip(profile, read);
    checkRoundTrip(profile, lines);
    return 0;
}
