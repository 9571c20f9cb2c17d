// The notification-area icon: the option that adds and removes it, the window that hides into it
// when minimised and comes back at a press on it, and the tooltip that shows the status.
#include "ui/tray.h"

#include "desktop/system_tray_icon.h"
#include "model/main_model.h"
#include "ui/line_list.h"
#include "ui/main_controls.h"
#include "ui/mouse_events.h"
#include "ui/status_label.h"

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

TrayControls::TrayControls(const MainControls &c, MainModel &model, std::function<void()> bringBack)
    : m_c(c), m_model(model), m_bringBack(std::move(bringBack))
{
    onClick(c.LabCheckTray, [this] {
        parkFocus(m_c);
        m_c.CheckTray->setChecked(!m_c.CheckTray->isChecked());
    });
    QObject::connect(c.CheckTray, &QCheckBox::toggled, c.window, [this](bool checked) {
        m_model.setOption(Option::TrayIcon, checked);
        optionClicked();
    });
    // The platform tells nothing when the mouse passes over the icon: keep the tooltip current.
    QObject::connect(c.LabInfo, &StatusLabel::captionChanged, c.window,
                     [this](const QString &caption) {
                         if (m_model.state().trayIcon)
                             icon().setToolTip(trayToolTip(caption));
                     });
}

TrayControls::~TrayControls() = default;

TrayIcon &TrayControls::icon()
{
    if (!m_icon)
        setIcon(std::make_unique<SystemTrayIcon>());
    return *m_icon;
}

void TrayControls::setIcon(std::unique_ptr<TrayIcon> icon)
{
    m_icon = std::move(icon);
    QObject::connect(m_icon.get(), &TrayIcon::pressed, m_c.window, [this] { restore(); });
}

void TrayControls::showOption()
{
    m_c.CheckTray->setChecked(m_model.state().trayIcon);
}

void TrayControls::optionClicked()
{
    // At start-up the focus stays where it is.
    if (m_model.state().windowReady)
        m_c.ListTri->setFocus(Qt::OtherFocusReason);
    if (m_model.state().trayIcon)
        icon().add(m_c.window->windowIcon(), trayToolTip(m_c.LabInfo->text()));
    else
        icon().remove();
}

void TrayControls::restore()
{
    const QWidget *window = m_c.window;
    if (!m_model.state().trayIcon || (window->isVisible() && !window->isMinimized()))
        return;
    m_bringBack();
}

bool TrayControls::hidesWhenMinimised() const
{
    // Where the desktop offers no notification area, a hidden window could not be brought back.
    return m_model.state().trayIcon && m_icon && m_icon->isAvailable();
}

void TrayControls::remove()
{
    if (m_icon)
        m_icon->remove();
}

} // namespace amiscan
