#pragma once
// A main window that scans through the scripted browser and fetcher, logged in as "demo".
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
    ScriptedScan()
    {
        form.setScanPlatform(std::unique_ptr<FakeBrowser>(browser),
                             std::unique_ptr<FakePageFetcher>(fetcher));
        form.scanDriver().setTimings({20, 5, 5});
        form.load();
        form.state.userName = QStringLiteral("demo");
        form.state.password = form.state.savedPassword = QStringLiteral("demo123");
        form.TextLogin->setText(QStringLiteral("demo"));
    }
    bool scanning() const { return form.ButGo->text() == QStringLiteral("Abort Scan"); }
};

} // namespace amiscan
