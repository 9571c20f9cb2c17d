#pragma once

#include <QPointer>

namespace amiscan {

class Dialogs;
class Form2;
class MainModel;
struct MainControls;
struct StatusRow;

// The scan's controls: the Start Scan button, the status row, the Timer button with its ON and
// OFF lights, and the interval box. They show what the model tells of the scans and the repeat
// count-down, and send it the user's presses.
class ScanControls final
{
    Q_DISABLE_COPY_MOVE(ScanControls)

public:
    ScanControls(const MainControls &controls, MainModel &model, Dialogs &dialogs);
    ~ScanControls() = default;

    // The first look of the status row and the Start Scan button.
    void showFirstStatus();

private:
    void showStatus(const StatusRow &row);
    void showRepeat(bool on);
    void showScanStamp(const QString &stamp);
    // A message over the window brought back from the notification area or the taskbar.
    void showMessage(const QStringList &lines);
    void showFailure(const QStringList &lines);

    const MainControls &m_c;
    MainModel &m_model;
    Dialogs &m_dialogs;
    // The failure message the user has not answered yet: nothing is added while it is open.
    QPointer<Form2> m_failureMessage;
};

} // namespace amiscan
