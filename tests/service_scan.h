#pragma once

// A main window that scans the local stand-in for the service through the real browser (in its
// helper program) and the real direct read, with shortened timings, answering every message with
// OK; and a probe of how long the event loop goes without turning. Users define
// AMISCAN_BROWSER_EXECUTABLE, the helper program's path (see tests/CMakeLists.txt).
#include "browser_processes.h"
#include "platform/helper_process_browser.h"
#include "platform/network_page_fetcher.h"
#include "scan/scan_driver.h"
#include "ui/form1.h"
#include "ui/form2.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace amiscan {

// Answers every modal message of the form with OK and records its first line.
inline void answerMessages(Form1 &form, QStringList &firstLines)
{
    auto *poll = new QTimer(&form);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, &form, [&form, &firstLines] {
        QPointer<Form2> dialog = form.dialog();
        if (!dialog || QApplication::activeModalWidget() != dialog.data())
            return;
        firstLines << dialog->Label1->text();
        dialog->ButOk->click();
    });
    poll->start();
}

struct ScanRig
{
    QTemporaryDir dir;
    Form1 form{dir.path()};
    HelperProcessBrowser *browser = nullptr;
    NetworkPageFetcher *fetcher = nullptr;
    QStringList messages;

    // Loads the data directory first when given one.
    ScanRig(const QUrl &service, const QString &password = QStringLiteral("demo123"),
            ScanDriver::Timings timings = {500, 20, 20},
            const QString &helper = QStringLiteral(AMISCAN_BROWSER_EXECUTABLE),
            const QString &dataDir = {})
        : form(dataDir.isEmpty() ? dir.path() : dataDir)
    {
        auto b = std::make_unique<HelperProcessBrowser>(helper);
        auto f = std::make_unique<NetworkPageFetcher>();
        b->shareCookiesWith(f->manager()->cookieJar());
        browser = b.get();
        fetcher = f.get();
        form.setScanPlatform(std::move(b), std::move(f));
        form.scanDriver().setTimings(timings);
        form.load();
        form.state.serviceUrl = service.toString();
        form.state.userName = QStringLiteral("demo");
        form.TextLogin->setText(QStringLiteral("demo"));
        form.state.password = password;
        form.state.savedPassword = password;
        answerMessages(form, messages);
    }

    // Runs one scan to its end (completion or failure message).
    bool scan(int timeoutMs = 30000)
    {
        form.ButGo->click();
        return QTest::qWaitFor([this] { return form.ButGo->text() == texts::StartCaption; },
                               timeoutMs);
    }

    // Runs one scan to its end; gives the most browser processes seen alive meanwhile, or -1.
    int scanCountingProcesses()
    {
        int most = 0;
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout,
                         [&most] { most = std::max(most, int(browserProcesses().size())); });
        sampler.start(50);
        return scan() ? most : -1;
    }

    // "account=display name and mark/online" of every friend, sorted.
    QStringList accounts() const
    {
        QStringList names;
        for (int row = 1; row <= form.table.friendCount(); ++row)
            names << form.table.cell(row, AccountName) + u'=' + form.table.cell(row, DisplayName) +
                         form.table.cell(row, NameMark) + u'/' + form.table.cell(row, Online);
        names.sort();
        return names;
    }
};

// While it runs, records the longest time between two turns of the event loop, as a timer that
// should fire every 20 ms sees it.
class LoopBlockProbe final
{
public:
    LoopBlockProbe()
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longestMs = std::max(m_longestMs, m_sinceLast.restart()); });
        m_sinceLast.start();
        m_timer.start();
    }
    qint64 longestMs() const { return std::max(m_longestMs, m_sinceLast.elapsed()); }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    qint64 m_longestMs = 0;
};

} // namespace amiscan
