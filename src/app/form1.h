#pragma once

#include "conversionrun.h"
#include "dialogintake.h"
#include "filelist.h"
#include "folderintake.h"
#include "runwindow.h"
#include "windowhooks.h"
#include "windowintakehost.h"
#include "windowpointer.h"

#include <QWidget>

class FileListView;
class PushCheck;
class QProgressBar;
class QPushButton;

// Opened on one start in a hundred.
inline constexpr char HomePageAddress[] = "https://quillmere.example.org/";

// The program's one window: the file list, the three action buttons and the progress bar. Its
// controls carry the names the program knows them by (ListView1, Check1, ProgressBar1, ...).
class Form1 : public QWidget, public RunWindow
{
    Q_OBJECT

public:
    explicit Form1(const WindowHooks &hooks = WindowHooks::Desktop(), QWidget *parent = nullptr);

    FileList &List() { return m_list; }
    PointerShape CurrentPointerShape() const { return m_pointer.Shape(); }

    int ConvertButtonState() const override;
    void SetConvertButtonState(int state) override;
    void SetPointerShape(PointerShape shape) override;
    void SetProgressValue(float value) override;
    void ShowMessage(const QString &text) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    PushCheck *AddButton(const char *name, const QString &icon, const QString &caption,
                         const QRect &place);
    void WatchPointer();
    void Form_Load();
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    bool IsWorking() const;
    void CloseIfAsked();

    WindowHooks m_hooks;
    FileList m_list;
    ConversionRun m_run;
    WindowPointer m_pointer;
    bool m_runHoldsBusy = false;
    WindowIntakeHost m_intakeHost;
    DialogIntake m_dialogIntake;
    FolderIntake m_folderIntake;
    // Scans in hand, nested ones included: a scan yields, and another may start meanwhile.
    int m_scans = 0;
    QPushButton *m_command1 = nullptr;
    FileListView *m_listView1 = nullptr;
    PushCheck *m_check1 = nullptr;
    PushCheck *m_check2 = nullptr;
    PushCheck *m_check3 = nullptr;
    QProgressBar *m_progressBar1 = nullptr;
    // A close that came while work was going on; the window goes once the work has returned.
    bool m_closeAsked = false;
};
