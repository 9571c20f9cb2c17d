#include "store/text_encoding.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace amiscan {

namespace {

// Code points of the bytes 80 to 9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> HighBytes = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The UTF-8 byte-order mark that starts every file written in UTF-8.
constexpr QByteArrayView Utf8Mark("\xEF\xBB\xBF");

} // namespace

bool toWindows1252(const QString &text, QByteArray &out)
{
    out.resize(text.size());
    char *bytes = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes[i] = char(c);
            continue;
        }
        const auto found = std::find(HighBytes.begin(), HighBytes.end(), c);
        if (found == HighBytes.end())
            return false;
        bytes[i] = char(0x80 + (found - HighBytes.begin()));
    }
    return true;
}

QString fromWindows1252(QByteArrayView bytes)
{
    QString text;
    fromWindows1252(bytes, text);
    return text;
}

void fromWindows1252(QByteArrayView bytes, QString &into)
{
    into.resize(bytes.size());
    QChar *chars = into.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        chars[i] = (b >= 0x80 && b < 0xA0) ? QChar(HighBytes[b - 0x80]) : QChar(b);
    }
}

bool isWindows1252File(QByteArrayView bytes)
{
    return !bytes.startsWith(Utf8Mark);
}

QByteArray encodeFileText(const QString &text)
{
    // A Windows-1252 text that starts with "ï»¿" has the mark's bytes: it goes as UTF-8 too.
    QByteArray bytes;
    if (toWindows1252(text, bytes) && !bytes.startsWith(Utf8Mark))
        return bytes;
    return Utf8Mark.toByteArray() + text.toUtf8();
}

QString decodeFileText(QByteArrayView bytes)
{
    if (isWindows1252File(bytes))
        return fromWindows1252(bytes);
    // Only the one mark is dropped: a second one belongs to the text. Damaged sequences, also
    // one cut off at the end (hence stateless), read as U+FFFD, which is written back as itself.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless |
                                                  QStringConverter::Flag::ConvertInitialBom);
    return utf8(bytes.sliced(Utf8Mark.size()));
}

} // namespace amiscan
