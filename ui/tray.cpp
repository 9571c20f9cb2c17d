// The notification-area icon: the option that adds and removes it, the window that hides into it
// when minimised and comes back at a press on it, and the tooltip that shows the status.
#include "ui/tray.h"

#include "desktop/system_tray_icon.h"
#include "ui/form1.h"
#include "ui/line_list.h"
#include "ui/mouse_events.h"

#include <QCheckBox>
#include <QListWidget>

namespace amiscan {

namespace {

constexpr int ToolTipCharacters = 63;

} // namespace

QString trayToolTip(const QString &caption)
{
    qsizetype end = 0;
    for (int characters = 0; end < caption.size() && characters < ToolTipCharacters; ++characters) {
        const bool pair = caption.at(end).isHighSurrogate() && end + 1 < caption.size() &&
                          caption.at(end + 1).isLowSurrogate();
        end += pair ? 2 : 1;
    }
    return caption.left(end);
}

void connectTrayControls(Form1 &form)
{
    onClick(form.LabCheckTray, [&form] {
        form.parkFocus();
        form.CheckTray->setChecked(!form.CheckTray->isChecked());
    });
    QObject::connect(form.CheckTray, &QCheckBox::toggled, &form,
                     [&form] { form.trayOptionClicked(); });
    // The platform tells nothing when the mouse passes over the icon: keep the tooltip current.
    QObject::connect(form.LabInfo, &StatusLabel::captionChanged, &form,
                     [&form](const QString &caption) {
                         if (form.CheckTray->isChecked())
                             form.trayIcon().setToolTip(trayToolTip(caption));
                     });
}

TrayIcon &Form1::trayIcon()
{
    if (!m_trayIcon)
        setTrayIcon(std::make_unique<SystemTrayIcon>());
    return *m_trayIcon;
}

void Form1::setTrayIcon(std::unique_ptr<TrayIcon> icon)
{
    m_trayIcon = std::move(icon);
    connect(m_trayIcon.get(), &TrayIcon::pressed, this, &Form1::restoreFromTray);
}

void Form1::trayOptionClicked()
{
    // At start-up the focus stays where it is.
    if (state.windowReady)
        ListTri->setFocus(Qt::OtherFocusReason);
    if (CheckTray->isChecked())
        trayIcon().add(windowIcon(), trayToolTip(LabInfo->text()));
    else
        trayIcon().remove();
}

void Form1::restoreFromTray()
{
    if (!CheckTray->isChecked() || (isVisible() && !isMinimized()))
        return;
    bringBack();
}

void Form1::bringBack()
{
    showNormal();
    raise();
    activateWindow();
    layoutLists();
}

bool Form1::hidesWhenMinimised() const
{
    // Where the desktop offers no notification area, a hidden window could not be brought back.
    return CheckTray->isChecked() && m_trayIcon && m_trayIcon->isAvailable();
}

} // namespace amiscan
