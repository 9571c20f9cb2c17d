#include "store/text_arena.h"

#include <algorithm>

namespace amiscan {

QString TextArena::make(QStringView text)
{
    if (m_write == nullptr || m_block.size() - m_used < text.size() + 1) {
        m_block = QString(std::max(BlockSize, text.size() + 1), Qt::Uninitialized);
        m_write = reinterpret_cast<char16_t *>(m_block.data());
        m_used = 0;
    }
    char16_t *const start = m_write + m_used;
    std::copy(text.utf16(), text.utf16() + text.size(), start);
    start[text.size()] = u'\0';
    m_used += text.size() + 1;
    // A copy of the block's reference, narrowed to the text.
    QString::DataPointer made = m_block.data_ptr();
    made.ptr = start;
    made.size = text.size();
    return QString(std::move(made));
}

} // namespace amiscan
