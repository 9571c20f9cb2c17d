#include "store/position_text.h"

#include "store/friends_table.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>

namespace amiscan {

namespace {

// The numbers' texts, by groups of 1024 made when one of them is first asked for and kept until
// the process ends (the rows' texts point into them). Each text has six places: up to five
// characters and a terminating zero.
constexpr int GroupSize = 1024;
constexpr int Places = 6;
constexpr int Numbers = MaxFriends + 2; // -1 to MaxFriends
constexpr int Groups = (Numbers + GroupSize - 1) / GroupSize;

// The number the text is written as, plus one, or 0 when it is not one of them as the program
// writes it (no sign but for -1, no leading zero, nothing else).
int slotOf(QStringView text)
{
    if (text == u"-1")
        return 0;
    if (text.isEmpty() || text.size() > 5 || (text.size() > 1 && text.front() == u'0'))
        return -1;
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value <= MaxFriends ? value + 1 : -1;
}

const char16_t *groupOf(int group)
{
    static std::array<std::atomic<const char16_t *>, Groups> groups{};
    static std::mutex making;
    if (const char16_t *made = groups.at(size_t(group)).load(std::memory_order_acquire))
        return made;
    const std::scoped_lock lock(making);
    if (const char16_t *made = groups.at(size_t(group)).load(std::memory_order_acquire))
        return made;
    // Never freed: texts in rows and their copies point into it.
    auto *texts = new char16_t[size_t(GroupSize) * Places]();
    for (int i = 0; i < GroupSize; ++i) {
        const QString number = QString::number(group * GroupSize + i - 1);
        for (qsizetype c = 0; c < number.size(); ++c)
            texts[ptrdiff_t(i) * Places + c] = number.at(c).unicode();
    }
    groups.at(size_t(group)).store(texts, std::memory_order_release);
    return texts;
}

} // namespace

QString positionText(const QString &text)
{
    const int slot = slotOf(text);
    if (slot < 0)
        return text;
    const char16_t *place = groupOf(slot / GroupSize) + ptrdiff_t(slot % GroupSize) * Places;
    return QString::fromRawData(reinterpret_cast<const QChar *>(place), text.size());
}

} // namespace amiscan
