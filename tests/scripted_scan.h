#pragma once
// A main window that scans through the scripted browser and fetcher, started and logged in as
// "demo" unless asked otherwise.
#include "fake_platform.h"
#include "model/main_model.h"
#include "scan/scan_driver.h"
#include "scan_pages.h"
#include "ui/form1.h"
#include "window_controls.h"
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

namespace amiscan {

struct ScriptedScan
{
    QTemporaryDir dir;
    MainModel model;
    Form1 form{model};
    FakeBrowser *browser = new FakeBrowser;
    FakePageFetcher *fetcher = new FakePageFetcher;
    // A data directory of its own unless given one.
    explicit ScriptedScan(bool started = true, const QString &dataDir = {})
        : model(dataDir.isEmpty() ? dir.path() : dataDir)
    {
        model.setScanPlatform(std::unique_ptr<FakeBrowser>(browser),
                              std::unique_ptr<FakePageFetcher>(fetcher));
        model.scanDriver().setTimings({20, 5, 5});
        if (started) {
            form.load();
            logIn();
        }
    }
    void logIn()
    {
        findControl<QLineEdit>(form, "TextLogin")->setText(QStringLiteral("demo"));
        model.stateForTests().userName = QStringLiteral("demo");
        model.stateForTests().password = model.stateForTests().savedPassword =
            QStringLiteral("demo123");
    }
    bool scanning() const
    {
        return findControl<QPushButton>(form, "ButGo")->text() == QStringLiteral("Abort Scan");
    }
};

} // namespace amiscan
