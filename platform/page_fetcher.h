#pragma once

#include "platform/load_trouble.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

namespace amiscan {

// One fetch of a page's text, sharing the browser's login. The answer comes through the
// callback: ok is false when the fetch failed or timed out; address is where the text came from,
// after any redirects; trouble, why a failed fetch failed as far as it can tell.
class PageFetcher : public QObject
{
    Q_OBJECT

public:
    using Callback = std::function<void(bool ok, const QString &text, const QUrl &address,
                                        const LoadTrouble &trouble)>;

    using QObject::QObject;

    virtual void fetch(const QUrl &url, Callback callback) = 0;
};

} // namespace amiscan
