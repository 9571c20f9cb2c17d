#include "scan/character_references.h"

#include "store/text_encoding.h"

#include <QHash>

#include <algorithm>
#include <array>

namespace amiscan {

namespace {

// The names of the characters U+00A0 to U+00FF, in order.
constexpr std::array<const char *, 96> Latin1Names{
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

struct NamedCharacter
{
    const char *name;
    char16_t character;
};

// The other names of the common set: markup, Latin extended, punctuation, Greek, symbols.
constexpr NamedCharacter OtherNames[] = {
    {"quot", 34},     {"amp", 38},       {"apos", 39},      {"lt", 60},       {"gt", 62},
    {"OElig", 338},   {"oelig", 339},    {"Scaron", 352},   {"scaron", 353},  {"Yuml", 376},
    {"fnof", 402},    {"circ", 710},     {"tilde", 732},    {"Alpha", 913},   {"Beta", 914},
    {"Gamma", 915},   {"Delta", 916},    {"Epsilon", 917},  {"Zeta", 918},    {"Eta", 919},
    {"Theta", 920},   {"Iota", 921},     {"Kappa", 922},    {"Lambda", 923},  {"Mu", 924},
    {"Nu", 925},      {"Xi", 926},       {"Omicron", 927},  {"Pi", 928},      {"Rho", 929},
    {"Sigma", 931},   {"Tau", 932},      {"Upsilon", 933},  {"Phi", 934},     {"Chi", 935},
    {"Psi", 936},     {"Omega", 937},    {"alpha", 945},    {"beta", 946},    {"gamma", 947},
    {"delta", 948},   {"epsilon", 949},  {"zeta", 950},     {"eta", 951},     {"theta", 952},
    {"iota", 953},    {"kappa", 954},    {"lambda", 955},   {"mu", 956},      {"nu", 957},
    {"xi", 958},      {"omicron", 959},  {"pi", 960},       {"rho", 961},     {"sigmaf", 962},
    {"sigma", 963},   {"tau", 964},      {"upsilon", 965},  {"phi", 966},     {"chi", 967},
    {"psi", 968},     {"omega", 969},    {"thetasym", 977}, {"upsih", 978},   {"piv", 982},
    {"ensp", 8194},   {"emsp", 8195},    {"thinsp", 8201},  {"zwnj", 8204},   {"zwj", 8205},
    {"lrm", 8206},    {"rlm", 8207},     {"ndash", 8211},   {"mdash", 8212},  {"lsquo", 8216},
    {"rsquo", 8217},  {"sbquo", 8218},   {"ldquo", 8220},   {"rdquo", 8221},  {"bdquo", 8222},
    {"dagger", 8224}, {"Dagger", 8225},  {"bull", 8226},    {"hellip", 8230}, {"permil", 8240},
    {"prime", 8242},  {"Prime", 8243},   {"lsaquo", 8249},  {"rsaquo", 8250}, {"oline", 8254},
    {"frasl", 8260},  {"euro", 8364},    {"image", 8465},   {"weierp", 8472}, {"real", 8476},
    {"trade", 8482},  {"alefsym", 8501}, {"larr", 8592},    {"uarr", 8593},   {"rarr", 8594},
    {"darr", 8595},   {"harr", 8596},    {"crarr", 8629},   {"lArr", 8656},   {"uArr", 8657},
    {"rArr", 8658},   {"dArr", 8659},    {"hArr", 8660},    {"forall", 8704}, {"part", 8706},
    {"exist", 8707},  {"empty", 8709},   {"nabla", 8711},   {"isin", 8712},   {"notin", 8713},
    {"ni", 8715},     {"prod", 8719},    {"sum", 8721},     {"minus", 8722},  {"lowast", 8727},
    {"radic", 8730},  {"prop", 8733},    {"infin", 8734},   {"ang", 8736},    {"and", 8743},
    {"or", 8744},     {"cap", 8745},     {"cup", 8746},     {"int", 8747},    {"there4", 8756},
    {"sim", 8764},    {"cong", 8773},    {"asymp", 8776},   {"ne", 8800},     {"equiv", 8801},
    {"le", 8804},     {"ge", 8805},      {"sub", 8834},     {"sup", 8835},    {"nsub", 8836},
    {"sube", 8838},   {"supe", 8839},    {"oplus", 8853},   {"otimes", 8855}, {"perp", 8869},
    {"sdot", 8901},   {"lceil", 8968},   {"rceil", 8969},   {"lfloor", 8970}, {"rfloor", 8971},
    {"lang", 10216},  {"rang", 10217},   {"loz", 9674},     {"spades", 9824}, {"clubs", 9827},
    {"hearts", 9829}, {"diams", 9830}};

const QHash<QString, char16_t> &namedCharacters()
{
    static const QHash<QString, char16_t> names = [] {
        QHash<QString, char16_t> all;
        for (std::size_t i = 0; i < Latin1Names.size(); ++i)
            all.insert(QString::fromLatin1(Latin1Names[i]), char16_t(0xA0 + i));
        for (const NamedCharacter &named : OtherNames)
            all.insert(QString::fromLatin1(named.name), named.character);
        return all;
    }();
    return names;
}

bool isAsciiAlphanumeric(QChar c)
{
    return c.unicode() < 0x80 && c.isLetterOrNumber();
}

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (base == 16 && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (base == 16 && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The character a number stands for, as browsers read it.
QString numberedCharacter(char32_t number)
{
    if (number >= 0x80 && number <= 0x9F) {
        const char byte = char(number);
        return fromWindows1252(QByteArrayView(&byte, 1));
    }
    if (number == 0 || number > 0x10FFFF || QChar::isSurrogate(number))
        number = QChar::ReplacementCharacter;
    return QStringView(QChar::fromUcs4(number)).toString();
}

// Reads the reference at the "&" at `at`: its characters and where the text goes on after it,
// or nothing when no reference starts there.
bool readReference(QStringView text, qsizetype at, QString &character, qsizetype &next)
{
    qsizetype i = at + 1;
    if (i < text.size() && text.at(i) == u'#') {
        int base = 10;
        ++i;
        if (i < text.size() && (text.at(i) == u'x' || text.at(i) == u'X')) {
            base = 16;
            ++i;
        }
        const qsizetype digits = i;
        char32_t number = 0;
        for (int digit; i < text.size() && (digit = digitValue(text.at(i), base)) >= 0; ++i)
            number = std::min<char32_t>(number * base + char32_t(digit), 0x110000);
        if (i == digits)
            return false;
        if (i < text.size() && text.at(i) == u';')
            ++i;
        character = numberedCharacter(number);
        next = i;
        return true;
    }
    while (i < text.size() && isAsciiAlphanumeric(text.at(i)))
        ++i;
    if (i == at + 1 || i >= text.size() || text.at(i) != u';')
        return false;
    const auto named = namedCharacters().constFind(text.sliced(at + 1, i - at - 1).toString());
    if (named == namedCharacters().cend())
        return false;
    character = QChar(*named);
    next = i + 1;
    return true;
}

} // namespace

QString decodeCharacterReferences(QStringView text)
{
    qsizetype amp = text.indexOf(u'&');
    if (amp < 0)
        return text.toString();
    QString decoded;
    decoded.reserve(text.size());
    qsizetype done = 0;
    for (; amp >= 0; amp = text.indexOf(u'&', amp + 1)) {
        QString character;
        qsizetype next = 0;
        if (!readReference(text, amp, character, next))
            continue;
        decoded += text.sliced(done, amp - done);
        decoded += character;
        done = next;
        amp = next - 1;
    }
    decoded += text.sliced(done);
    return decoded;
}

} // namespace amiscan
