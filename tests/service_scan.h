#pragma once
// A main window that scans the local stand-in for the service through the real browser (in its
// helper program) and the real direct read, with shortened timings, answering every message with
// OK. Users define AMISCAN_BROWSER_EXECUTABLE, the helper program's path (tests/CMakeLists.txt).
#include "dialog_driver.h"
#include "model/main_model.h"
#include "platform/helper_process_browser.h"
#include "platform/network_page_fetcher.h"
#include "scan/scan_driver.h"
#include "window_controls.h"
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

namespace amiscan {

struct ScanRig
{
    QTemporaryDir dir;
    MainModel model;
    Form1 form{model};
    HelperProcessBrowser *browser = nullptr;
    NetworkPageFetcher *fetcher = nullptr;
    QStringList messages; // the first line of each message shown
    QStringList outcomes; // of each scan recorded: its code and detail

    // Loads the data directory first when given one.
    explicit ScanRig(const QUrl &service, const QString &password = QStringLiteral("demo123"),
                     ScanDriver::Timings timings = {500, 20, 20},
                     const QString &helper = QStringLiteral(AMISCAN_BROWSER_EXECUTABLE),
                     const QString &dataDir = {})
        : model(dataDir.isEmpty() ? dir.path() : dataDir)
    {
        auto b = std::make_unique<HelperProcessBrowser>(helper);
        auto f = std::make_unique<NetworkPageFetcher>();
        b->shareCookiesWith(f->manager()->cookieJar());
        browser = b.get();
        fetcher = f.get();
        model.setScanPlatform(std::move(b), std::move(f));
        model.scanDriver().setTimings(timings);
        // Whatever network this machine has, the simulator is on its loopback.
        model.scanDriver().setNetworkReach([] { return NetworkReach::Online; });
        QObject::connect(&model.scanDriver(), &ScanDriver::attemptEnded,
                         [this](const ScanRecord &r) {
                             outcomes << outcomeCode(r.outcome) + u' ' + QString::number(r.detail);
                         });
        // Also the messages of a scan that Auto Start begins at start-up.
        whenModalDialogAppears(
            form,
            [this](Form2 *dialog) {
                messages << dialog->Label1->text();
                dialog->ButOk->click();
            },
            true);
        form.load();
        model.stateForTests().serviceUrl = service.toString();
        findControl<QLineEdit>(form, "TextLogin")->setText(QStringLiteral("demo"));
        model.stateForTests().userName = QStringLiteral("demo");
        model.stateForTests().password = model.stateForTests().savedPassword = password;
    }
    // Logs in as an earlier scan of the run would have, through the direct read's own access.
    bool logInDirectly(const QUrl &service)
    {
        QNetworkRequest request(service.resolved(QUrl("/login")));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
        std::unique_ptr<QNetworkReply> reply(
            fetcher->manager()->post(request, "username=demo&password=demo123"));
        return QSignalSpy(reply.get(), &QNetworkReply::finished).wait(5000) &&
               reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 303;
    }
    // Runs one scan to its end (completion, or failure and its message answered).
    bool scan(int timeoutMs = 30000)
    {
        findControl<QPushButton>(form, "ButGo")->click();
        return QTest::qWaitFor(
            [this] {
                return findControl<QPushButton>(form, "ButGo")->text() == texts::StartCaption &&
                       !form.dialog();
            },
            timeoutMs);
    }
};

} // namespace amiscan
