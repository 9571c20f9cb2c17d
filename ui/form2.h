#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace amiscan {

// The dialog window: messages, confirmations and the About box. Every use starts from a fresh
// dialog with the design values below.
class Form2 final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form2)

public:
    // A dialog releases itself when it closes: create it with new, never on the stack.
    explicit Form2(QWidget *parent = nullptr);
    ~Form2() override;

    // The maker's web address shown in the About box.
    static QString makerAddress();

    QLabel *Picture2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *LabURL = nullptr;
    QLabel *Label4 = nullptr;
    QPushButton *ButOk = nullptr;
    QPushButton *ButYes = nullptr;
    QPushButton *ButCancel = nullptr;
    QPushButton *ButFocus = nullptr;

    // The About box, as its caller made it: modeless, closed by a click anywhere on it.
    void makeAboutBox() { m_aboutBox = true; }
    bool isAboutBox() const { return m_aboutBox; }

signals:
    // Yes was clicked in a confirmation; the dialog closes right after.
    void answeredYes();

private:
    void connectEvents();
    void unload();

    bool m_aboutBox = false;
};

} // namespace amiscan
