#pragma once

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace amiscan {

class LineList;
class StatusLabel;

// The main window's controls, named as the window design names them (each is also its object
// name). The window and its parts share them; nothing outside the window sees them.
struct MainControls
{
    QWidget *window = nullptr;

    // Panel, column 1: the shadowed title and the panel button.
    QLabel *LabelProg1 = nullptr;
    QLabel *LabelProg2 = nullptr;
    QPushButton *ButHidePanel = nullptr;
    // Column 2: login.
    QLineEdit *TextLogin = nullptr;
    QLineEdit *TextPw = nullptr;
    QLabel *LabCheckAutoStart = nullptr;
    QCheckBox *CheckAutoStart = nullptr;
    // Column 3: scan and repeat.
    QPushButton *ButGo = nullptr;
    QLabel *LabTextTimerScan1 = nullptr;
    QLineEdit *TextTimerScan = nullptr;
    QLabel *LabTextTimerScan2 = nullptr;
    QPushButton *ButTimerOnOff = nullptr;
    QLabel *LabTimerOn = nullptr;
    QLabel *LabTimerOff = nullptr;
    // Column 4: list options.
    QLabel *LabCheckFlter = nullptr;
    QCheckBox *CheckFlter = nullptr;
    QLabel *LabCheckHideOff = nullptr;
    QCheckBox *CheckHideOff = nullptr;
    QLabel *LabCheckUser = nullptr;
    QCheckBox *CheckUser = nullptr;
    // Column 5: about, exit, tray.
    QPushButton *ButAbout = nullptr;
    QPushButton *ButExit = nullptr;
    QLabel *LabCheckTray = nullptr;
    QCheckBox *CheckTray = nullptr;
    // Panel lines.
    QFrame *LineV1 = nullptr;
    QFrame *LineV2 = nullptr;
    QFrame *LineV3 = nullptr;
    QFrame *LineV4 = nullptr;
    QFrame *LineV5 = nullptr;
    QFrame *LineV6 = nullptr;
    QFrame *LineHoriz = nullptr;
    // Status row, list title, lists and help line.
    QLabel *LabScanLast = nullptr;
    StatusLabel *LabInfo = nullptr;
    QLabel *LabScanNext = nullptr;
    QLabel *LabTitList1 = nullptr;
    QCheckBox *CheckList2All = nullptr;
    QLabel *LabSession = nullptr;
    LineList *List1 = nullptr;
    LineList *List2 = nullptr;
    QLabel *LabHelp = nullptr;
    QLabel *LabHelpNom = nullptr;
    // The hidden sorted list, outside the window: it takes the parked focus.
    QListWidget *ListTri = nullptr;
    // The top row of the hidden-panel mode.
    QPushButton *ButHideCheckFlter = nullptr;
    QPushButton *ButHideCheckHideOff = nullptr;
    QPushButton *ButHideCheckUser = nullptr;
};

// Creates every control of the main window in its place, size, colour and font.
void createMainControls(QWidget *window, MainControls &c);

// The end of an edit or a selection: the keyboard focus goes to the hidden sorted list, so no
// control shows it and no line stays selected.
void parkFocus(const MainControls &c);

} // namespace amiscan
