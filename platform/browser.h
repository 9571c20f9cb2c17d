#pragma once

#include "platform/load_trouble.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

namespace amiscan {

// The embedded browser as the scan sees it. Loading creates the browser and unloading
// destroys it, so no page outlives a scan; the login it receives is kept for the whole run,
// shared with the direct read. Pages are read asynchronously: the answer comes through a
// callback, at the latest when the page is unloaded.
class Browser : public QObject
{
    Q_OBJECT

public:
    enum class LoginResult
    {
        Submitted, // the texts were typed and the first button clicked
        NoForm,    // the page has no input element or no button: nothing was typed
        OtherPage, // the page is no longer at the address given: nothing was typed
    };
    Q_ENUM(LoginResult)
    using PageCallback = std::function<void(bool hasDocument, const QString &html,
                                            const QUrl &address, const LoadTrouble &trouble)>;
    using SubmitCallback = std::function<void(LoginResult result)>;

    using QObject::QObject;

    virtual void load() = 0;
    virtual void unload() = 0;
    virtual bool isLoaded() const = 0;
    // Starts loading the address, bypassing the cache, and returns at once.
    virtual void navigate(const QUrl &url) = 0;
    virtual void stop() = 0;
    // The current page's HTML as the document's root element writes it (tag names in capitals,
    // style attributes in long-hand form) and the address the page was loaded from, which may
    // differ from the one navigated to. hasDocument is false while there is no page at all;
    // trouble tells why the latest load failed, as far as it can.
    virtual void readPage(PageCallback callback) = 0;
    // Types the user name and the password into the page's first two input elements and clicks
    // its first button, provided the page has both and is still the one at `pageAddress`.
    virtual void submitLogin(const QString &userName, const QString &password,
                             const QUrl &pageAddress, SubmitCallback callback) = 0;
};

} // namespace amiscan
