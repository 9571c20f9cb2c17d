#pragma once
// A main window that scans through the scripted browser and fetcher, started and logged in as
// "demo" unless asked otherwise.
#include "fake_platform.h"
#include "scan/scan_driver.h"
#include "scan_pages.h"
#include "ui/form1.h"
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

namespace amiscan {

struct ScriptedScan
{
    QTemporaryDir dir;
    Form1 form{dir.path()};
    FakeBrowser *browser = new FakeBrowser;
    FakePageFetcher *fetcher = new FakePageFetcher;
    explicit ScriptedScan(bool started = true)
    {
        form.setScanPlatform(std::unique_ptr<FakeBrowser>(browser),
                             std::unique_ptr<FakePageFetcher>(fetcher));
        form.scanDriver().setTimings({20, 5, 5});
        if (started) {
            form.load();
            logIn();
        }
    }
    void logIn()
    {
        form.TextLogin->setText(QStringLiteral("demo"));
        form.state.userName = QStringLiteral("demo");
        form.state.password = form.state.savedPassword = QStringLiteral("demo123");
    }
    bool scanning() const { return form.ButGo->text() == QStringLiteral("Abort Scan"); }
};

} // namespace amiscan
