#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace amiscan {

class Browser;
class Form1;
class PageFetcher;

// Takes one scan from the Start Scan button to the friends page read and merged, or to a failure
// message. The first scan of a run goes through the browser, later ones try the direct read
// first. The browser route is a small state machine advanced by the window's Timer1.
// Nothing here blocks the window: the fetch, the page reads and the fixed waits all return to
// the event loop, and a tick that falls due while an earlier one is still at work is skipped.
class ScanDriver final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScanDriver)

public:
    // The program's timings; tests shorten them.
    struct Timings
    {
        int tickMs = 3000;
        int afterDirectReadMs = 2000;
        int countdownStepMs = 1000;
    };

    ScanDriver(Form1 &form, std::unique_ptr<Browser> browser, std::unique_ptr<PageFetcher> fetcher,
               QObject *parent = nullptr);
    ~ScanDriver() override;

    void setTimings(const Timings &timings);
    Browser &browser() const { return *m_browser; }

    // The Start Scan / Abort Scan button.
    void startScanButton();
    void startScan();
    void endScan();
    // Timer1's tick.
    void tick();

signals:
    // The friends page has been read and merged into the table.
    void pageMerged();

private:
    void directRead(int scan);
    void afterDirectRead(int scan);
    void openFriendsPage();
    void stepLoaded(int scan);
    void stepLogIn(int scan);
    void stepRead(int scan);
    void finishTick();
    void countdown(int step);
    void readAndMerge();
    bool isCurrent(int scan) const { return scan == m_scan && m_tickBusy; }
    void setProgress(const QString &caption, const QColor &color);
    void showMessage(const QStringList &lines);

    Form1 &m_form;
    std::unique_ptr<Browser> m_browser;
    std::unique_ptr<PageFetcher> m_fetcher;
    Timings m_timings;
    // Identifies the scan in progress; an abort moves it on so late answers are dropped.
    int m_scan = 0;
    bool m_tickBusy = false;
    bool m_reading = false;
    QString m_pageHtml;
};

} // namespace amiscan
