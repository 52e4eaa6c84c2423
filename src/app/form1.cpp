#include "form1.h"

#include "filelistview.h"
#include "pathrules.h"
#include "pointerimage.h"
#include "pushcheck.h"
#include "windowgeometry.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>

namespace
{

// Sizes in twips.
constexpr int ClientWidth = 6615;
constexpr int ClientHeight = 3735;
constexpr int ColumnWidth = 5300;

// The bar counts hundredths of a percent, so a run's fractional share shows.
constexpr int ProgressStepsPerPercent = 100;
constexpr int HomePageDraw = 7;
constexpr int DrawRange = 100;

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

} // namespace

Form1::Form1(const WindowHooks &hooks, QWidget *parent)
    : QWidget(parent), m_hooks(hooks), m_run(*this, m_list), m_pointer(*this),
      m_intakeHost(*this, m_hooks, m_pointer), m_dialogIntake(m_list, m_intakeHost),
      m_folderIntake(m_list, m_intakeHost)
{
    BuildControls();
    WatchPointer();
    Form_Load();
}

void Form1::BuildControls()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(TwipsToPixels(ClientWidth), TwipsToPixels(ClientHeight));
    setWindowIcon(QIcon(QStringLiteral(":/icons/quillmere.png")));
    MakeWhite(this, {QPalette::Window});
    setAutoFillBackground(true);

    // Out of sight left of the window, first in the tab order: it holds the focus so that no
    // visible control shows a focus mark, and pressing it does nothing.
    m_command1 = new QPushButton(QStringLiteral("Command1"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setGeometry(TwipsRect(-720, 2640, 615, 495));

    m_listView1 = new FileListView(m_list, m_hooks.programFolder, this);
    m_listView1->setObjectName(QStringLiteral("ListView1"));
    m_listView1->setGeometry(TwipsRect(120, 120, 6375, 1815));
    m_listView1->setFont(ArialBold(9));
    m_listView1->setToolTip(
        QStringLiteral("Drag and drop files here. Double-click item to remove it. Move bar to "
                       "right and out of window to reveal full names."));

    m_check1 = AddButton("Check1", QStringLiteral("add-files"), QStringLiteral("Add PSD File(s)"),
                         TwipsRect(120, 2040, 2055, 1095));
    m_check3 =
        AddButton("Check3", QStringLiteral("add-folder"),
                  QStringLiteral("Add All File(s) In Folder"), TwipsRect(2280, 2040, 2055, 1095));
    m_check2 = AddButton("Check2", QStringLiteral("convert"), QStringLiteral("Convert to JPG"),
                         TwipsRect(4440, 2040, 2055, 1095));
    connect(m_check1, &QAbstractButton::toggled, this, &Form1::Check1_Click);
    // The run takes the press itself, through the window's convert button state.
    connect(m_check2, &QAbstractButton::toggled, this, &Form1::Check2_Click);
    connect(m_check3, &QAbstractButton::toggled, this, &Form1::Check3_Click);

    m_progressBar1 = new QProgressBar(this);
    m_progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar1->setGeometry(TwipsRect(120, 3240, 6375, 375));
    m_progressBar1->setRange(0, 100 * ProgressStepsPerPercent);
    m_progressBar1->setValue(0);
    m_progressBar1->setTextVisible(false);

    setTabOrder(m_command1, m_check1);
    setTabOrder(m_check1, m_check2);
    setTabOrder(m_check2, m_listView1);
    setTabOrder(m_listView1, m_check3);
    setTabOrder(m_check3, m_progressBar1);
    m_command1->setFocus();
}

PushCheck *Form1::AddButton(const char *name, const QString &icon, const QString &caption,
                            const QRect &place)
{
    auto *button = new PushCheck(QIcon(QStringLiteral(":/icons/%1.png").arg(icon)), caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place);
    button->setFont(ArialBold(11.25));
    MakeWhite(button, {QPalette::Button});
    return button;
}

void Form1::WatchPointer()
{
    setMouseTracking(true);
    const QList<QWidget *> hovered = {m_check1, m_check2, m_check3, m_listView1->viewport(),
                                      m_listView1->header()->viewport()};
    for (QWidget *widget : hovered) {
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
    }
    m_progressBar1->installEventFilter(this);
}

void Form1::Form_Load()
{
    // A platform that knows the frame before the window shows gives it to the native window.
    winId();
    move(CentredTopLeft(screen()->geometry(), frameGeometry().size()));
    setWindowTitle(QStringLiteral("Quillmere"));

    const QString handPointer = m_hooks.programFolder + QStringLiteral("/HAND-M.CUR");
    if (FileExists(handPointer))
        m_pointer.SetCustomImage(LoadPointerImage(handPointer));

    if (int(m_hooks.random() * DrawRange) + 1 == HomePageDraw)
        m_hooks.openUrl(QUrl(QString::fromLatin1(HomePageAddress)));

    m_listView1->header()->resizeSection(0, TwipsToPixels(ColumnWidth));
    MakeWhite(m_progressBar1, {QPalette::Base, QPalette::Window});
}

void Form1::Check1_Click()
{
    if (m_check1->TakePress())
        m_dialogIntake.Run();
}

void Form1::Check2_Click()
{
    m_run.OnConvertClicked();
    CloseIfAsked();
}

void Form1::Check3_Click()
{
    if (!m_check3->TakePress())
        return;
    ++m_scans;
    m_folderIntake.Run();
    --m_scans;
    CloseIfAsked();
}

bool Form1::IsWorking() const
{
    return m_run.IsRunning() || m_scans > 0;
}

void Form1::CloseIfAsked()
{
    if (m_closeAsked && !IsWorking())
        close();
}

int Form1::ConvertButtonState() const
{
    return m_check2->isChecked() ? 1 : 0;
}

void Form1::SetConvertButtonState(int state)
{
    m_check2->setChecked(state == 1);
}

void Form1::SetPointerShape(PointerShape shape)
{
    // The run asks for busy at every entry and for the default once at its end.
    const bool busy = shape == PointerShape::Busy;
    if (busy == m_runHoldsBusy) {
        if (!busy)
            m_pointer.Set(shape);
        return;
    }
    m_runHoldsBusy = busy;
    if (busy)
        m_pointer.HoldBusy();
    else
        m_pointer.ReleaseBusy();
}

void Form1::SetProgressValue(float value)
{
    m_progressBar1->setValue(qRound(value * ProgressStepsPerPercent));
}

void Form1::ShowMessage(const QString &text)
{
    m_hooks.showMessage(this, text);
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (!IsWorking()) {
        event->accept();
        return;
    }
    // A run ends after the entries in hand and a scan at its next yield; both still use the
    // window until they return, so it goes then.
    m_run.RequestStop();
    m_intakeHost.StopScans();
    m_closeAsked = true;
    event->ignore();
}

void Form1::mouseMoveEvent(QMouseEvent *event)
{
    // Moves the controls pass on arrive here too; only the bare background counts.
    if (!childAt(event->position().toPoint()))
        m_pointer.Hover(PointerShape::Default);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        const bool overButton = watched == m_check1 || watched == m_check2 || watched == m_check3;
        m_pointer.Hover(overButton ? PointerShape::Custom : PointerShape::Default);
    } else if (event->type() == QEvent::MouseButtonPress && watched == m_progressBar1) {
        m_pointer.Hover(PointerShape::Default);
    }
    return QWidget::eventFilter(watched, event);
}
