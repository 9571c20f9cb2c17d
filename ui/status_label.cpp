#include "ui/status_label.h"

namespace amiscan {

StatusLabel::~StatusLabel() = default;

void StatusLabel::setText(const QString &text)
{
    const bool changed = text != this->text();
    QLabel::setText(text);
    if (changed)
        emit captionChanged(text);
}

} // namespace amiscan
