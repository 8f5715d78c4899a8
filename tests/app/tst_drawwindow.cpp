#include "tst_drawwindow.h"

#include "drawwindowpresses.h"
#include "form1.h"
#include "journal.h"
#include "textcodec.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

void TestDrawWindow::init()
{
    fixture_.emplace();
    fixture_->writeSettings(Title, {QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("1"),
                                    QStringLiteral("1")});
    fixture_->writeCandidates({QStringLiteral("Anna"), QStringLiteral("Bob"),
                               QStringLiteral("Carl"), QStringLiteral("Dora")});
    window_ = fixture_->openMainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void TestDrawWindow::cleanup()
{
    window_.reset();
    fixture_.reset();
}

void TestDrawWindow::controlsStandWhereDesigned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("banner frame") << "Frame7" << QRect(240, 0, 11415, 1335);
    QTest::newRow("rolling display in its frame") << "Text1" << QRect(120, 240, 8295, 735);
    QTest::newRow("results log in its frame") << "T1" << QRect(120, 240, 8175, 4455);
    QTest::newRow("status line in its frame") << "Text2" << QRect(120, 240, 8295, 345);
    QTest::newRow("second prize is 30 twips lower") << "Edj" << QRect(120, 720, 2175, 495);
    QTest::newRow("special prize button") << "Tdj" << QRect(120, 1920, 2175, 525);
    QTest::newRow("reset button in its panel") << "Format" << QRect(120, 600, 2175, 525);
    QTest::newRow("logo reaches past the right edge") << "Image2" << QRect(11160, 7440, 750, 600);
    QTest::newRow("address picture") << "Image3" << QRect(8760, 7440, 2475, 555);
}

void TestDrawWindow::controlsStandWhereDesigned()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    auto *widget = window_->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
}

void TestDrawWindow::fontsColoursAndCaptions()
{
    const Form1Controls &c = window_->controls();
    QCOMPARE(window_->size(), QSize(792, 538));
    QVERIFY(window_->windowTitle().isEmpty());
    QCOMPARE(c.Text1->font().pointSizeF(), 26.25);
    QCOMPARE(c.Text1->font().weight(), QFont::Bold);
    QCOMPARE(c.Text1->palette().color(QPalette::Base), QColor(255, 192, 255));
    QCOMPARE(c.Text1->palette().color(QPalette::Text), QColor(0, 0, 255));
    QCOMPARE(c.T1->font().pointSizeF(), 15.75);
    QCOMPARE(c.T1->font().families().first(), QStringLiteral("仿宋_GB2312"));
    QCOMPARE(c.T1->palette().color(QPalette::Text), QColor(0, 128, 0));
    QVERIFY(c.T1->isReadOnly());
    QCOMPARE(c.Text2->palette().color(QPalette::Base), QColor(255, 255, 192));
    QCOMPARE(c.Text2->palette().color(QPalette::Text), QColor(255, 0, 0));
    QCOMPARE(c.L3->palette().color(QPalette::WindowText), QColor(255, 128, 0));
    QCOMPARE(c.L3->font().pointSizeF(), 36.0);
    QCOMPARE(c.Exit->text(), QStringLiteral("退　    　出"));
    QCOMPARE(c.Format->text(), QStringLiteral("初 始 化"));
    QCOMPARE(tierButton(*window_, PrizeTier::Special)->text(), QStringLiteral("抽取特等奖"));
    QCOMPARE(tierButton(*window_, PrizeTier::Third)->font().pointSizeF(), 10.5);
    QCOMPARE(c.Frame1->font().pointSizeF(), 9.0);
    QVERIFY(!c.Timer1->isActive());
    QCOMPARE(c.Timer1->timerType(), Qt::PreciseTimer);
}

void TestDrawWindow::titleIsCentredOnTheBanner()
{
    const Form1Controls &c = window_->controls();
    QCOMPARE(c.L2->text(), Title);
    QCOMPARE(c.L3->text(), Title);
    const QRect banner = c.Image1->geometry();
    QVERIFY(qAbs(c.L2->geometry().center().x() - banner.center().x()) <= 1);
    QVERIFY(qAbs(c.L2->geometry().center().y() - banner.center().y()) <= 1);
    QCOMPARE(c.L3->pos(), c.L2->pos() - QPoint(1, 1));
    QVERIFY(c.L2->width() > 0);
}

void TestDrawWindow::missingFilesAreNamedAndTheWindowWorks()
{
    QFile::remove(fixture_->path(QStringLiteral("bt.txt")));
    QFile::remove(fixture_->path(QStringLiteral("cjk.txt")));
    window_ = fixture_->openMainWindow();
    const auto &messages = fixture_->notifier.messages;
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages[0].text.contains(fixture_->path(QStringLiteral("bt.txt"))));
    QVERIFY(messages[1].text.contains(fixture_->path(QStringLiteral("cjk.txt"))));
    QCOMPARE(messages[0].icon, Notifier::Icon::Warning);
    QVERIFY(window_->controls().L2->text().isEmpty());

    // A list that gave no name: a stop records nobody and says the list is empty.
    press(window_->controls().T1, Qt::Key_Space);
    window_->tick();
    press(window_->controls().T1, Qt::Key_Space);
    QCOMPARE(messages.size(), 3);
    QCOMPARE(messages[2].text, NoOneLeft);
    QVERIFY(window_->engine().state().log.isEmpty());
    QCOMPARE(window_->engine().state().drawnCount, (std::array<qint32, 4>{}));
    for (QPushButton *button : window_->controls().tierButtons)
        QVERIFY(button->isEnabled());
}

// A line of over 1,000 characters is shown cut short, never between the two halves of a
// character beyond the Basic Multilingual Plane; the log (and so the report) keeps it whole.
void TestDrawWindow::longLinesAreShownCutShortAndKeptWhole()
{
    const QString wide = QStringLiteral("\U00020000"); // two UTF-16 units
    // With the log label in front, the pair stands at 999 and 1000, where the cut falls.
    const QString name = QString(995, u'a') + wide + QString(500, u'b');
    const QString title = QString(1500, u'年');
    fixture_->writeSettings(title, {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0"),
                                    QStringLiteral("0")});
    fixture_->writeCandidates({name, QStringLiteral("Bob")});
    window_ = fixture_->openMainWindow();
    const Form1Controls &c = window_->controls();
    QCOMPARE(c.L2->text(), QString(1000, u'年') + QChar(0x2026));

    press(c.T1, Qt::Key_Space);
    fixture_->random.values = {0.0};
    window_->tick();
    press(c.T1, Qt::Key_Space);
    QCOMPARE(c.T1->toPlainText(),
             QStringLiteral("3等奖:") + QString(995, u'a') + QChar(0x2026) + u'\n');
    QCOMPARE(window_->engine().state().log,
             QStringLiteral("3等奖:") + name + QStringLiteral("\r\n"));
}

// The logo's label reaches past the window's right edge, as designed: every painted pixel
// of the picture stands inside the window all the same.
void TestDrawWindow::logoStandsWholeInTheWindow()
{
    const QLabel *logo = window_->controls().Image2;
    const QImage picture =
        logo->pixmap().toImage().scaled(logo->size()).convertToFormat(QImage::Format_ARGB32);
    const int visible = window_->width() - logo->geometry().left();
    QVERIFY(visible < logo->width());
    int painted = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (qAlpha(picture.pixel(x, y)) == 0)
                continue;
            ++painted;
            QVERIFY2(x < visible, qPrintable(QStringLiteral("a pixel at %1, %2").arg(x).arg(y)));
        }
    }
    QVERIFY(painted > 0);
}

void TestDrawWindow::resizeScalesControlsAndRecentresTitle()
{
    const Form1Controls &c = window_->controls();
    const QRect display = c.Text1->geometry();
    const QSize title = c.L2->size();
    window_->resize(792 * 2, 538 * 2);
    QTRY_COMPARE(c.Text1->geometry(), QRect(display.topLeft() * 2, display.size() * 2));
    QCOMPARE(c.L2->size(), title);
    QVERIFY(qAbs(c.L2->geometry().center().x() - c.Image1->geometry().center().x()) <= 1);
    window_->resize(792, 538);
    QTRY_COMPARE(c.Text1->geometry(), display);
}

void TestDrawWindow::webLinkOnBannerTitleAndLogoOnly()
{
    const Form1Controls &c = window_->controls();
    for (QWidget *linked : {static_cast<QWidget *>(c.L3), static_cast<QWidget *>(c.Image1),
                            static_cast<QWidget *>(c.Image2)})
        QTest::mouseClick(linked, Qt::LeftButton);
    QTest::mouseClick(c.Image3, Qt::LeftButton);
    QCOMPARE(fixture_->notifier.openedUrls.size(), 3);
    QCOMPARE(fixture_->notifier.openedUrls.first().toString(),
             QStringLiteral("https://example.org/prizedraw"));
    QCOMPARE(c.L3->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(c.Image2->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(c.Image2->toolTip().isEmpty());
}
