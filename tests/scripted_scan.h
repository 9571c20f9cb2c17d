#pragma once
// A main window that scans through the scripted browser and fetcher, logged in as "demo" unless
// asked otherwise.
#include "fake_platform.h"
#include "scan_pages.h"
#include "scan/scan_driver.h"
#include "ui/form1.h"
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace amiscan {

struct ScriptedScan
{
    QTemporaryDir dir;
    Form1 form{dir.path()};
    FakeBrowser *browser = nullptr;
    FakePageFetcher *fetcher = nullptr;
    // beforeLoad runs once the window exists and before its start-up: to put files in its
    // directory or give it other platform layers.
    explicit ScriptedScan(bool withLogin = true,
                          const std::function<void(ScriptedScan &)> &beforeLoad = {})
    {
        auto b = std::make_unique<FakeBrowser>();
        auto f = std::make_unique<FakePageFetcher>();
        browser = b.get();
        fetcher = f.get();
        form.setScanPlatform(std::move(b), std::move(f));
        form.scanDriver().setTimings({20, 5, 5});
        if (beforeLoad)
            beforeLoad(*this);
        form.load();
        if (withLogin) {
            form.state.userName = QStringLiteral("demo");
            form.state.password = QStringLiteral("demo123");
            form.state.savedPassword = QStringLiteral("demo123");
            form.TextLogin->setText(QStringLiteral("demo"));
        }
    }
    bool scanning() const { return form.ButGo->text() == QStringLiteral("Abort Scan"); }
};

} // namespace amiscan
