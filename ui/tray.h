#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace amiscan {

class MainModel;
class TrayIcon;
struct MainControls;

// The icon's tooltip for a caption: at most 63 characters, never half of one.
QString trayToolTip(const QString &caption);

// The notification-area icon: the option's square and label that add and remove it, the
// tooltip that follows the list title, the window that hides into it when minimised and comes
// back at a press on it.
class TrayControls final
{
    Q_DISABLE_COPY_MOVE(TrayControls)

public:
    // bringBack shows the window again in its normal state.
    TrayControls(const MainControls &controls, MainModel &model, std::function<void()> bringBack);
    ~TrayControls();

    // The system's own icon unless a test set another.
    TrayIcon &icon();
    void setIcon(std::unique_ptr<TrayIcon> icon);
    // The square shows the model's option (which adds the icon when on).
    void showOption();
    // Whether minimising hides the window, leaving only the icon.
    bool hidesWhenMinimised() const;
    // The program ends: the icon goes.
    void remove();

private:
    void optionClicked();
    void restore();

    const MainControls &m_c;
    MainModel &m_model;
    std::function<void()> m_bringBack;
    std::unique_ptr<TrayIcon> m_icon;
};

} // namespace amiscan
