#include "tst_windowframe.h"

#include "programhost.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#ifdef Q_OS_WIN
#include <windows.h>
#elif defined(PRIZEDRAW_XCB)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace {

// The title the platform shows, or nothing where it cannot be read back.
std::optional<QByteArray> nativeTitle(QWidget *window)
{
#ifdef Q_OS_WIN
    wchar_t text[256] = {};
    GetWindowTextW(reinterpret_cast<HWND>(window->winId()), text, 256);
    return QString::fromWCharArray(text).toUtf8();
#elif defined(PRIZEDRAW_XCB)
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;
    const auto id = static_cast<xcb_window_t>(window->winId());
    QByteArray title;
    const char *const names[] = {"_NET_WM_NAME", "WM_NAME"};
    for (const char *name : names) {
        auto *atom = xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, static_cast<quint16>(std::strlen(name)), name), nullptr);
        auto *reply = xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, id, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
            nullptr);
        title += QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                            xcb_get_property_value_length(reply));
        std::free(reply);
        std::free(atom);
    }
    return title;
#else
    Q_UNUSED(window)
    return std::nullopt;
#endif
}

// A point near the control's top left corner: the banner's centre lies under the title.
QPoint pointOn(QWidget *control, QWidget *window)
{
    return control->mapTo(window, QPoint(8, 8));
}

} // namespace

void TestWindowFrame::init()
{
    fixture_.emplace();
    fixture_->writeSettings(QStringLiteral("年会"), {QStringLiteral("1"), QStringLiteral("1"),
                                                     QStringLiteral("1"), QStringLiteral("1")});
    fixture_->writeCandidates({QStringLiteral("Anna"), QStringLiteral("Bob")});
    window_ = fixture_->openMainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void TestWindowFrame::cleanup()
{
    window_.reset();
    fixture_.reset();
}

void TestWindowFrame::nativeTitleIsEmpty()
{
    const std::optional<QByteArray> title = nativeTitle(window_.get());
    if (!title)
        QSKIP("this platform has no native title to read back");
    QCOMPARE(*title, QByteArray());
}

void TestWindowFrame::wholeWindowIsCentred()
{
    window_.reset();
    ProgramHost host(fixture_->notifier, fixture_->random, fixture_->programDirectory());
    host.start();
    Form1 *window = host.mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    // The frame, title bar and all, not the client area alone.
    QTRY_COMPARE(window->frameGeometry().center(), window->screen()->availableGeometry().center());
}

void TestWindowFrame::statusLineWrapsInANarrowWindow()
{
    auto *status = window_->findChild<QPlainTextEdit *>(QStringLiteral("Text2"));
    QVERIFY(status);
    QVERIFY(status->isReadOnly());
    QCOMPARE(status->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(status->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    QTest::keyClick(window_->controls().T1, Qt::Key_Space);
    window_->tick();
    QTest::keyClick(window_->controls().T1, Qt::Key_Space);
    window_->resize(400, 538);
    QCOMPARE(status->toPlainText(), window_->engine().state().status);
    QTRY_VERIFY(status->document()->firstBlock().layout()->lineCount() > 1);
}

void TestWindowFrame::webLinkOpensOncePerClick_data()
{
    QTest::addColumn<QString>("pressOn");
    QTest::addColumn<QString>("releaseOn");
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<int>("opened");
    QTest::newRow("a click on the title") << "L3"
                                          << "L3" << false << 1;
    QTest::newRow("a click on the logo") << "Image2"
                                         << "Image2" << false << 1;
    QTest::newRow("a double-click on the banner") << "Image1"
                                                  << "Image1" << true << 1;
    QTest::newRow("a double-click on the title") << "L3"
                                                 << "L3" << true << 1;
    QTest::newRow("pressed on the title, released on the log") << "L3"
                                                               << "T1" << false << 0;
    QTest::newRow("pressed on the log, released on the title") << "T1"
                                                               << "L3" << false << 0;
    QTest::newRow("pressed on the logo, released on the address") << "Image2"
                                                                  << "Image3" << false << 0;
}

void TestWindowFrame::webLinkOpensOncePerClick()
{
    QFETCH(QString, pressOn);
    QFETCH(QString, releaseOn);
    QFETCH(bool, doubleClick);
    QFETCH(int, opened);

    // Through the window system, so the press grabs the mouse as on a real screen.
    QWindow *handle = window_->windowHandle();
    auto *pressed = window_->findChild<QWidget *>(pressOn);
    auto *released = window_->findChild<QWidget *>(releaseOn);
    QVERIFY(pressed && released);
    if (doubleClick) {
        QTest::mouseDClick(handle, Qt::LeftButton, {}, pointOn(pressed, window_.get()));
    } else {
        QTest::mousePress(handle, Qt::LeftButton, {}, pointOn(pressed, window_.get()));
        QTest::mouseMove(handle, pointOn(released, window_.get()));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, pointOn(released, window_.get()));
    }
    QCOMPARE(fixture_->notifier.openedUrls.size(), opened);
}
