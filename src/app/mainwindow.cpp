#include "app/mainwindow.h"

#include "app/filelistview.h"
#include "app/pointerimage.h"
#include "app/windowgeometry.h"
#include "run/closingmessage.h"
#include "run/pathrules.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QProgressBar>
#include <QScreen>
#include <QToolButton>

namespace
{

// Sizes in twips.
constexpr int ClientWidth = 6615;
constexpr int ClientHeight = 3735;
constexpr int ColumnWidth = 5300;

constexpr int HomePageDraw = 7;
constexpr int DrawRange = 100;
constexpr int IconSide = 32;

QFont ArialBold(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

void MakeWhite(QWidget *widget, std::initializer_list<QPalette::ColorRole> roles)
{
    QPalette palette = widget->palette();
    for (const QPalette::ColorRole role : roles)
        palette.setColor(role, Qt::white);
    widget->setPalette(palette);
}

// What a person does to a control; a run refuses all of it.
bool IsInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

MainWindow::MainWindow(const WindowHooks &hooks, QWidget *parent)
    : QWidget(parent), m_hooks(hooks), m_intakeHost(*this, m_hooks),
      m_dialogIntake(m_list, m_intakeHost), m_folderIntake(m_list, m_intakeHost)
{
    buildControls();
    startUp();
    connect(&m_run, &ConversionRun::EntryFinished, this, &MainWindow::showProgress);
    connect(&m_run, &ConversionRun::Finished, this, &MainWindow::finishRun);
    connect(&m_folderIntake, &FolderIntake::ScansEnded, this, &MainWindow::closeIfAsked);
}

void MainWindow::buildControls()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(TwipsToPixels(ClientWidth), TwipsToPixels(ClientHeight));
    setWindowIcon(QIcon(QStringLiteral(":/icons/quillmere.png")));
    MakeWhite(this, {QPalette::Window});
    setAutoFillBackground(true);

    m_listView = new FileListView(m_list, m_hooks.programFolder, this);
    m_listView->setObjectName(QStringLiteral("list"));
    m_listView->setGeometry(TwipsRect(120, 120, 6375, 1815));
    m_listView->setFont(ArialBold(9));
    m_listView->setToolTip(
        QStringLiteral("Drag and drop files here. Double-click item to remove it. Move bar to "
                       "right and out of window to reveal full names."));

    m_addFilesButton =
        addButton(QStringLiteral("addFiles"), QStringLiteral("add-files"),
                  QStringLiteral("Add PSD File(s)"), TwipsRect(120, 2040, 2055, 1095));
    // A tool button does not wrap its caption; the break is where a wrap would put it.
    m_addFolderButton =
        addButton(QStringLiteral("addFolder"), QStringLiteral("add-folder"),
                  QStringLiteral("Add All File(s) In\nFolder"), TwipsRect(2280, 2040, 2055, 1095));
    m_convertButton =
        addButton(QStringLiteral("convert"), QStringLiteral("convert"),
                  QStringLiteral("Convert to JPG"), TwipsRect(4440, 2040, 2055, 1095));
    connect(m_addFilesButton, &QToolButton::clicked, this, &MainWindow::addFiles);
    connect(m_addFolderButton, &QToolButton::clicked, this, &MainWindow::addFolder);
    connect(m_convertButton, &QToolButton::clicked, this, &MainWindow::convert);

    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("progress"));
    m_progressBar->setGeometry(TwipsRect(120, 3240, 6375, 375));
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);

    setTabOrder(m_addFilesButton, m_convertButton);
    setTabOrder(m_convertButton, m_listView);
    setTabOrder(m_listView, m_addFolderButton);
    // The window itself holds the focus at first, so no control shows a focus mark and keys
    // do nothing until Tab.
    setFocusPolicy(Qt::StrongFocus);
    setFocus();
    for (QWidget *widget : findChildren<QWidget *>())
        widget->installEventFilter(this);
    installEventFilter(this);
}

QToolButton *MainWindow::addButton(const QString &name, const QString &icon, const QString &caption,
                                   const QRect &place)
{
    auto *button = new QToolButton(this);
    button->setObjectName(name);
    button->setIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(icon)));
    button->setIconSize(QSize(IconSide, IconSide));
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setGeometry(place);
    button->setFont(ArialBold(11.25));
    MakeWhite(button, {QPalette::Button});
    return button;
}

void MainWindow::startUp()
{
    // A platform that knows the frame before the window shows gives it to the native window.
    winId();
    move(CentredTopLeft(screen()->geometry(), frameGeometry().size()));
    setWindowTitle(QStringLiteral("Quillmere"));

    const QString handPointer = m_hooks.programFolder + QStringLiteral("/HAND-M.CUR");
    const bool handThere = FileExists(QFile::encodeName(handPointer));
    if (const auto hand = handThere ? LoadPointerImage(handPointer) : std::nullopt) {
        for (QWidget *button : {m_addFilesButton, m_addFolderButton, m_convertButton})
            button->setCursor(*hand);
    }

    if (int(m_hooks.random() * DrawRange) + 1 == HomePageDraw)
        m_hooks.openUrl(QUrl(QString::fromLatin1(HomePageAddress)));

    m_listView->header()->resizeSection(0, TwipsToPixels(ColumnWidth));
    MakeWhite(m_progressBar, {QPalette::Base, QPalette::Window});
}

void MainWindow::addFiles()
{
    m_dialogIntake.Run();
}

void MainWindow::addFolder()
{
    m_folderIntake.Run();
}

void MainWindow::addArguments(const QByteArrayList &arguments)
{
    m_folderIntake.AddArguments(arguments);
}

void MainWindow::convert()
{
    if (m_list.Count() < 1) {
        m_hooks.showMessage(this, QStringLiteral("No files added."));
        return;
    }
    if (!m_run.Start(m_list.Paths()))
        return;
    m_entriesDone = 0;
    m_progressBar->setRange(0, m_list.Count());
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void MainWindow::showProgress()
{
    m_progressBar->setValue(++m_entriesDone);
}

void MainWindow::finishRun(const RunReport &report)
{
    QGuiApplication::restoreOverrideCursor();
    m_progressBar->setValue(0);
    // Only a close stops a run, and the window goes without a message then.
    if (m_closeAsked)
        closeIfAsked();
    else
        m_hooks.showMessage(this, ClosingMessage(report));
}

bool MainWindow::isWorking() const
{
    return m_run.IsRunning() || m_folderIntake.IsScanning();
}

void MainWindow::closeIfAsked()
{
    if (m_closeAsked && !isWorking())
        close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!isWorking()) {
        event->accept();
        return;
    }
    // A run ends after the entries in hand and a scan at its next check; the window goes when
    // both have said so.
    m_run.Cancel();
    m_folderIntake.Stop();
    m_closeAsked = true;
    event->ignore();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (m_run.IsRunning() && IsInput(event->type()))
        return true;
    return QWidget::eventFilter(watched, event);
}
