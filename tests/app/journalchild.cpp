// Runs a scripted event in a program directory, then reports what its main window shows
// and waits to be killed: the journal must hold everything a restart needs.
#include "appfixture.h"
#include "programhost.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    RecordingNotifier notifier;
    ScriptedRandom random;
    ProgramHost host(notifier, random, QString::fromLocal8Bit(argv[1]));
    host.start();
    const int winners = QString::fromLatin1(argv[2]).toInt();
    for (int i = 0; i < winners; ++i) {
        QTest::keyClick(host.mainWindow()->controls().T1, Qt::Key_Space);
        host.mainWindow()->tick();
        QTest::keyClick(host.mainWindow()->controls().T1, Qt::Key_Space);
    }
    const Form1Controls &c = host.mainWindow()->controls();
    QStringList enabled;
    for (QPushButton *button : c.tierButtons)
        enabled << (button->isEnabled() ? QStringLiteral("1") : QStringLiteral("0"));
    for (const QString &line : {c.T1->toPlainText(), c.Text2->toPlainText(), enabled.join(u',')})
        std::printf("%s\n", line.toUtf8().toBase64().constData());
    std::printf("recorded\n");
    std::fflush(stdout);
    return QApplication::exec();
}
