#include "form1.h"
#include "pointerimage.h"
#include "psdwriter.h"
#include "recordedwindow.h"
#include "windowgeometry.h"

#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void controlsSitAtTheirTwips_data();
    void controlsSitAtTheirTwips();
    void texts();
    void tabOrder();
    void startsCentredWithFocusOnTheHiddenButton();
    void keysAtStartDoNothing_data();
    void keysAtStartDoNothing();
    void onePressActsOnceAndSpringsBack_data();
    void onePressActsOnceAndSpringsBack();
    void convertPressRunsOnce();
    void progressShowsFractions();
    void hoverSetsPointer_data();
    void hoverSetsPointer();
    void busySurvivesEveryHover();
    void buttonThenListGivesDefaultBack();
    void missingHandPointerShowsDefault();
    void pointerFiles_data();
    void pointerFiles();
    void homePageDraw_data();
    void homePageDraw();
    void centring_data();
    void centring();
    void closeDuringRunStopsThenCloses();
    void idleCloseEndsTheProgram();
};

void TestMainWindow::controlsSitAtTheirTwips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("ListView1") << "ListView1" << QRect(120, 120, 6375, 1815);
    QTest::newRow("Check1") << "Check1" << QRect(120, 2040, 2055, 1095);
    QTest::newRow("Check3") << "Check3" << QRect(2280, 2040, 2055, 1095);
    QTest::newRow("Check2") << "Check2" << QRect(4440, 2040, 2055, 1095);
    QTest::newRow("ProgressBar1") << "ProgressBar1" << QRect(120, 3240, 6375, 375);
    QTest::newRow("Command1") << "Command1" << QRect(-720, 2640, 615, 495);
}

void TestMainWindow::controlsSitAtTheirTwips()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    RecordedWindow window;
    window.Show();
    const QWidget *control = window.Part(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    // The client area, fixed: 6615 x 3735 twips.
    QCOMPARE(window.form->size(), QSize(441, 249));
    QCOMPARE(window.form->minimumSize(), window.form->maximumSize());
    // The column, 5300 twips, is narrower than the list.
    QCOMPARE(window.Control<QTreeView>("ListView1")->header()->sectionSize(0), 353);
}

void TestMainWindow::texts()
{
    RecordedWindow window;
    QCOMPARE(window.form->windowTitle(), QStringLiteral("Quillmere"));
    QCOMPARE(window.Control<QPushButton>("Check1")->text(), QStringLiteral("Add PSD File(s)"));
    QCOMPARE(window.Control<QPushButton>("Check3")->text(),
             QStringLiteral("Add All File(s) In Folder"));
    QCOMPARE(window.Control<QPushButton>("Check2")->text(), QStringLiteral("Convert to JPG"));
    const auto *list = window.Control<QTreeView>("ListView1");
    QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("PSD File(s)"));
    QCOMPARE(list->toolTip(), QStringLiteral("Drag and drop files here. Double-click item to "
                                             "remove it. Move bar to right and out of window to "
                                             "reveal full names."));
}

void TestMainWindow::tabOrder()
{
    RecordedWindow window;
    const QStringList controls{"Command1",  "Check1", "Check2",
                               "ListView1", "Check3", "ProgressBar1"};
    QStringList chain;
    QWidget *widget = window.Control("Command1");
    do {
        if (controls.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != window.Control("Command1"));
    QCOMPARE(chain, controls);
}

void TestMainWindow::startsCentredWithFocusOnTheHiddenButton()
{
    RecordedWindow window;
    window.Show();
    QCOMPARE(QApplication::focusWidget(), window.Control("Command1"));
    QVERIFY(!window.form->rect().intersects(window.Control("Command1")->geometry()));
    const QPoint offCentre =
        window.form->frameGeometry().center() - window.form->screen()->geometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 2, qPrintable(QDebug::toString(offCentre)));
}

void TestMainWindow::keysAtStartDoNothing_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Space") << int(Qt::Key_Space);
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter") << int(Qt::Key_Enter);
}

void TestMainWindow::keysAtStartDoNothing()
{
    QFETCH(int, key);
    RecordedWindow window;
    window.Show();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(window.dialogs, QList<QStringList>());
    QCOMPARE(window.messages, QStringList());
    QCOMPARE(window.form->ConvertButtonState(), 0);
    QCOMPARE(QApplication::focusWidget(), window.Control("Command1"));
}

void TestMainWindow::onePressActsOnceAndSpringsBack_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("dialogs");
    QTest::addColumn<QStringList>("messages");
    // Cancelled at once: the file dialog, or the folder command's first prompt.
    QTest::newRow("Check1") << "Check1" << QStringList{"files"} << QStringList();
    QTest::newRow("Check3") << "Check3" << QStringList{"text"} << QStringList();
    QTest::newRow("Check2, empty list")
        << "Check2" << QStringList() << QStringList{"No files added."};
}

void TestMainWindow::onePressActsOnceAndSpringsBack()
{
    QFETCH(QString, button);
    QFETCH(QStringList, dialogs);
    QFETCH(QStringList, messages);
    RecordedWindow window;
    window.Show();
    auto *pressed = qobject_cast<QPushButton *>(window.Part(button));
    QSignalSpy toggles(pressed, &QAbstractButton::toggled);
    QTest::mouseClick(pressed, Qt::LeftButton);
    QStringList shown;
    for (const QStringList &dialog : std::as_const(window.dialogs))
        shown << dialog.first();
    QCOMPARE(shown, dialogs);
    QCOMPARE(window.messages, messages);
    QVERIFY(!pressed->isChecked());
    // Down, then up again: the nested notification is the only other one.
    QCOMPARE(toggles.count(), 2);
}

void TestMainWindow::convertPressRunsOnce()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("one.psd"));
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QVERIFY(PsdWriter(8, 8, PsdWriter::Rgb, PsdWriter::FromImage(image, PsdWriter::Rgb))
                .WriteTo(source));
    RecordedWindow window;
    window.Show();
    window.form->List().AppendPath(source);
    QTest::mouseClick(window.Control("Check2"), Qt::LeftButton);
    QCOMPARE(window.messages, QStringList{QStringLiteral("Done.")});
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("one.jpg"))));
    QCOMPARE(window.form->ConvertButtonState(), 0);
    QCOMPARE(window.form->CurrentPointerShape(), PointerShape::Default);
    QCOMPARE(window.Control<QProgressBar>("ProgressBar1")->value(), 0);
}

void TestMainWindow::progressShowsFractions()
{
    RecordedWindow window;
    auto *bar = window.Control<QProgressBar>("ProgressBar1");
    window.form->SetProgressValue(100.0f / 3.0f);
    const double shown = double(bar->value() - bar->minimum()) / (bar->maximum() - bar->minimum());
    QVERIFY2(qAbs(shown - 1.0 / 3.0) < 0.001, qPrintable(QString::number(shown)));
}

void TestMainWindow::hoverSetsPointer_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<PointerShape>("expected");
    for (const char *button : {"Check1", "Check2", "Check3"})
        QTest::newRow(button) << button << PointerShape::Custom;
    QTest::newRow("list") << "list" << PointerShape::Default;
    QTest::newRow("list header") << "header" << PointerShape::Default;
    QTest::newRow("background") << "background" << PointerShape::Default;
}

void TestMainWindow::hoverSetsPointer()
{
    QFETCH(QString, part);
    QFETCH(PointerShape, expected);
    RecordedWindow window;
    window.Show();
    const PointerShape other =
        expected == PointerShape::Custom ? PointerShape::Default : PointerShape::Custom;
    window.form->SetPointerShape(other);
    window.MoveOver(part);
    QCOMPARE(window.form->CurrentPointerShape(), expected);
    if (expected == PointerShape::Custom) {
        QCOMPARE(window.form->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(window.form->cursor().hotSpot(), QPoint(11, 1));
    } else {
        QCOMPARE(window.form->cursor().shape(), Qt::ArrowCursor);
    }
}

void TestMainWindow::busySurvivesEveryHover()
{
    RecordedWindow window;
    window.Show();
    window.form->SetPointerShape(PointerShape::Busy);
    for (const char *part : {"Check1", "Check2", "Check3", "list", "header", "background"}) {
        window.MoveOver(QString::fromLatin1(part));
        QCOMPARE(window.form->CurrentPointerShape(), PointerShape::Busy);
    }
    QTest::mouseClick(window.Control("ProgressBar1"), Qt::LeftButton);
    QCOMPARE(window.form->CurrentPointerShape(), PointerShape::Busy);
    QCOMPARE(window.form->cursor().shape(), Qt::WaitCursor);

    // Once the operation resets it, a press on the bar is an ordinary hover again.
    window.form->SetPointerShape(PointerShape::Custom);
    QTest::mouseClick(window.Control("ProgressBar1"), Qt::LeftButton);
    QCOMPARE(window.form->CurrentPointerShape(), PointerShape::Default);
}

void TestMainWindow::buttonThenListGivesDefaultBack()
{
    RecordedWindow window;
    window.Show();
    window.MoveOver(QStringLiteral("Check2"));
    QCOMPARE(window.form->CurrentPointerShape(), PointerShape::Custom);
    window.MoveOver(QStringLiteral("list"));
    QCOMPARE(window.form->CurrentPointerShape(), PointerShape::Default);
    QCOMPARE(window.form->cursor().shape(), Qt::ArrowCursor);
}

void TestMainWindow::missingHandPointerShowsDefault()
{
    QTemporaryDir emptyFolder;
    RecordedWindow window(0.5, emptyFolder.path());
    window.Show();
    window.MoveOver(QStringLiteral("Check1"));
    QCOMPARE(window.form->CurrentPointerShape(), PointerShape::Custom);
    QCOMPARE(window.form->cursor().shape(), Qt::ArrowCursor);
}

void TestMainWindow::pointerFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("hotSpot");
    // The hand points with its index finger; an icon's hot spot is its centre.
    QTest::newRow("hand") << "HAND-M.CUR" << QPoint(11, 1);
    QTest::newRow("drag") << "drag.ico" << QPoint(16, 16);
}

void TestMainWindow::pointerFiles()
{
    QFETCH(QString, name);
    QFETCH(QPoint, hotSpot);
    const auto pointer = LoadPointerImage(QCoreApplication::applicationDirPath() + '/' + name);
    QVERIFY(pointer);
    QCOMPARE(pointer->hotSpot(), hotSpot);
    const QImage image = pointer->pixmap().toImage();
    QCOMPARE(image.size(), QSize(32, 32));
    // The hot spot is on the drawing's tip: drawn there, nothing drawn straight above it.
    QVERIFY(qAlpha(image.pixel(hotSpot)) == 255);
    for (int y = 0; y < hotSpot.y(); ++y)
        QCOMPARE(qAlpha(image.pixel(hotSpot.x(), y)), 0);
}

void TestMainWindow::homePageDraw_data()
{
    QTest::addColumn<double>("random");
    QTest::addColumn<int>("opened");
    QTest::newRow("1") << 0.0 << 0;
    QTest::newRow("6") << 0.0599 << 0;
    QTest::newRow("7, lowest") << 0.06 << 1;
    QTest::newRow("7, highest") << 0.0699 << 1;
    QTest::newRow("8") << 0.07 << 0;
    QTest::newRow("100") << 0.9999 << 0;
}

void TestMainWindow::homePageDraw()
{
    QFETCH(double, random);
    QFETCH(int, opened);
    const RecordedWindow window(random);
    QCOMPARE(window.opened.count(), opened);
    if (opened)
        QCOMPARE(window.opened.first(), QUrl(QString::fromLatin1(HomePageAddress)));
}

void TestMainWindow::centring_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("topLeft");
    const QSize window(441, 249);
    QTest::newRow("even") << QRect(0, 0, 1041, 649) << QPoint(300, 200);
    QTest::newRow("halves round") << QRect(0, 0, 800, 600) << QPoint(180, 176);
    QTest::newRow("second screen") << QRect(1920, 100, 1041, 649) << QPoint(2220, 300);
    QTest::newRow("small screen, partly off it") << QRect(0, 0, 401, 201) << QPoint(-20, -24);
}

void TestMainWindow::centring()
{
    QFETCH(QRect, screen);
    QFETCH(QPoint, topLeft);
    QCOMPARE(CentredTopLeft(screen, QSize(441, 249)), topLeft);
}

void TestMainWindow::closeDuringRunStopsThenCloses()
{
    QTemporaryDir dir;
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::darkYellow);
    // More entries than the run has workers, so some are never handed out.
    const int count = QThread::idealThreadCount() + 2;
    RecordedWindow window;
    for (int i = 0; i < count; ++i) {
        const QString source = dir.filePath(QStringLiteral("f%1.psd").arg(i));
        QVERIFY(PsdWriter(64, 64, PsdWriter::Rgb, PsdWriter::FromImage(image, PsdWriter::Rgb))
                    .WriteTo(source));
        window.form->List().AppendPath(source);
    }
    window.Show();
    // Arrives while the run waits on its worker.
    QTimer::singleShot(0, window.form.get(), &QWidget::close);
    QTest::mouseClick(window.Control("Check2"), Qt::LeftButton);
    QVERIFY(!window.form->isVisible());
    QCOMPARE(window.messages, QStringList());
    const int converted = int(QDir(dir.path()).entryList({"*.jpg"}).count());
    QVERIFY2(converted < count, qPrintable(QString::number(converted)));
}

void TestMainWindow::idleCloseEndsTheProgram()
{
    RecordedWindow window;
    window.Show();
    QTimer::singleShot(0, window.form.get(), &QWidget::close);
    // A program that lingers after its window has closed fails here rather than hanging.
    QTimer lingering;
    connect(&lingering, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    lingering.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!window.form->isVisible());
    QCOMPARE(window.messages, QStringList());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
