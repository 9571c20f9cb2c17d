#pragma once

#include <QObject>

#include <functional>

namespace amiscan {

class MainModel;
struct MainControls;

// The main window minimised, restored or resized: a window minimised with the notification-area
// option leaves only the icon; otherwise the lists are laid out again for the window's size.
class WindowEvents final : public QObject
{
public:
    // hidesWhenMinimised tells whether minimising leaves only the icon; layOut lays the lists out.
    WindowEvents(QWidget *window, const MainModel &model, std::function<bool()> hidesWhenMinimised,
                 std::function<void()> layOut);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void hideOnceMinimised();
    void layOut();

    QWidget *m_window;
    const MainModel &m_model;
    std::function<bool()> m_hidesWhenMinimised;
    std::function<void()> m_layOut;
};

} // namespace amiscan
