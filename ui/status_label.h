#pragma once

#include <QLabel>

namespace amiscan {

// A label that tells when its caption changes. QLabel has no such signal, and the caption is
// also shown where no event would refresh it (the notification icon's tooltip).
class StatusLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusLabel)

public:
    using QLabel::QLabel;
    ~StatusLabel() override;

    // Stands in for QLabel::setText for every caller that holds a StatusLabel.
    void setText(const QString &text);

signals:
    void captionChanged(const QString &caption);
};

} // namespace amiscan
