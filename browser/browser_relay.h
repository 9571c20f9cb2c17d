#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>

#include <memory>

class QSocketNotifier;

namespace amiscan {

class WebEngineBrowser;

// Inside the browser helper: carries out on the browser each request the program writes to the
// helper's input, and writes back the answers and every cookie the browser receives or drops.
// Works on raw descriptors, the pipes to the program, which no other process holds.
class BrowserRelay final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowserRelay)

public:
    BrowserRelay(WebEngineBrowser &browser, int input, int output, QObject *parent = nullptr);
    ~BrowserRelay() override;

signals:
    // The program has closed the helper's input, or has gone: the helper's work is done.
    void inputClosed();

private:
    class CookieRelay;

    void readInput();
    void receive(const QJsonObject &message);
    void send(const QJsonObject &message);

    WebEngineBrowser &m_browser;
    const int m_input;
    const int m_output;
    QSocketNotifier *m_notifier;
    std::unique_ptr<CookieRelay> m_cookies;
    QByteArray m_received;
};

} // namespace amiscan
