#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

namespace amiscan {

// One fetch of a page's text, sharing the browser's login. The answer comes through the
// callback: ok is false when the fetch failed or timed out; address is where the text came from,
// after any redirects.
class PageFetcher : public QObject
{
    Q_OBJECT

public:
    using Callback = std::function<void(bool ok, const QString &text, const QUrl &address)>;

    using QObject::QObject;

    virtual void fetch(const QUrl &url, Callback callback) = 0;
};

} // namespace amiscan
