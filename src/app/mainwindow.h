#pragma once

#include "app/windowhooks.h"
#include "app/windowintakehost.h"
#include "filelist/dialogintake.h"
#include "filelist/filelist.h"
#include "filelist/folderintake.h"
#include "run/conversionrun.h"

#include <QWidget>

class FileListView;
class QProgressBar;
class QToolButton;

// Opened on one start in a hundred.
inline constexpr char HomePageAddress[] = "https://quillmere.example.org/";

// The program's one window: the file list, the three action buttons and the progress bar.
// While a run goes on the window refuses all input to its controls but keeps painting, with the
// busy pointer over it; closing it then stops the run after the files in hand and ends the
// program without a closing message. A folder scan leaves the window free, and a close stops it.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(const WindowHooks &hooks = WindowHooks::Desktop(),
                        QWidget *parent = nullptr);

    FileList &list() { return m_list; }
    ConversionRun &run() { return m_run; }
    FolderIntake &folderIntake() { return m_folderIntake; }
    // What the file manager's "Open With" or a shell names: gathered as a scan, which a close
    // ends at its next check.
    void addArguments(const QByteArrayList &arguments);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    QToolButton *addButton(const QString &name, const QString &icon, const QString &caption,
                           const QRect &place);
    void startUp();
    void addFiles();
    void addFolder();
    void convert();
    void showProgress();
    void finishRun(const RunReport &report);
    bool isWorking() const;
    void closeIfAsked();

    WindowHooks m_hooks;
    FileList m_list;
    ConversionRun m_run;
    WindowIntakeHost m_intakeHost;
    DialogIntake m_dialogIntake;
    FolderIntake m_folderIntake;
    int m_entriesDone = 0;
    FileListView *m_listView = nullptr;
    QToolButton *m_addFilesButton = nullptr;
    QToolButton *m_addFolderButton = nullptr;
    QToolButton *m_convertButton = nullptr;
    QProgressBar *m_progressBar = nullptr;
    // A close that came while work was going on; the window goes once the work has ended.
    bool m_closeAsked = false;
};
