// Runs a scripted event in a program directory, then reports what its main window shows
// and waits to be killed: the journal must hold everything a restart needs.
//
//   journalchild <directory> <winners> [resume | void | batch]
//
// With "resume" it resumes an interrupted draw and, at the first warning, says "warning"
// and waits there to be killed. With "void" it voids the newest winner after the draws,
// answering OK, and draws that place again. With "batch" the third prize draws that many
// winners a press: one press draws them, and the next roll is left rolling. A start the folder's
// lock refuses prints the message in base64, then "refused", and exits with 3.
#include "appfixture.h"
#include "batchfile.h"
#include "programhost.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <QThread>

#include <cstdio>

namespace {

class WaitingAtWarnings : public RecordingNotifier {
public:
    bool wait = false;

    void warning(const QString &title, const QString &text) override
    {
        RecordingNotifier::warning(title, text);
        if (!wait)
            return;
        std::printf("warning\n");
        std::fflush(stdout);
        for (;;)
            QThread::sleep(1);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    WaitingAtWarnings notifier;
    if (argc > 3 && QByteArray(argv[3]) == "resume") {
        notifier.resumeChoice = Notifier::ResumeChoice::Resume;
        notifier.wait = true;
    }
    ScriptedRandom random;
    const bool batch = argc > 3 && QByteArray(argv[3]) == "batch";
    if (batch) {
        const QString directory = QString::fromLocal8Bit(argv[1]);
        if (!writeBatchFile(QDir(directory).filePath(BatchFileName),
                            {QString::fromLatin1(argv[2]).toInt(), 1, 1, 1})
                 .ok())
            return 2;
        // Picks spread over the list, not its first names.
        for (int i = 0; i < 1000; ++i)
            random.values << (i * 0.618034) - int(i * 0.618034);
    }
    ProgramHost host(notifier, random, QString::fromLocal8Bit(argv[1]));
    if (!host.start()) {
        std::printf("%s\nrefused\n", notifier.messages.last().text.toUtf8().toBase64().constData());
        std::fflush(stdout);
        return 3;
    }
    const bool voidNewest = argc > 3 && QByteArray(argv[3]) == "void";
    const int winners = batch ? 1 : QString::fromLatin1(argv[2]).toInt() + (voidNewest ? 1 : 0);
    for (int i = 0; i < winners; ++i) {
        if (voidNewest && i == winners - 1) {
            notifier.confirmAnswer = true;
            QTest::keyClick(host.mainWindow()->controls().T1, Qt::Key_Delete);
        }
        QTest::keyClick(host.mainWindow()->controls().T1, Qt::Key_Space);
        host.mainWindow()->tick();
        QTest::keyClick(host.mainWindow()->controls().T1, Qt::Key_Space);
    }
    const Form1Controls &c = host.mainWindow()->controls();
    if (batch) {
        // The next press's names roll when the kill comes.
        QTest::keyClick(c.T1, Qt::Key_Space);
        host.mainWindow()->tick();
    }
    QStringList enabled;
    for (QPushButton *button : c.tierButtons)
        enabled << (button->isEnabled() ? QStringLiteral("1") : QStringLiteral("0"));
    for (const QString &line : {c.T1->toPlainText(), c.Text2->toPlainText(), enabled.join(u',')})
        std::printf("%s\n", line.toUtf8().toBase64().constData());
    std::printf("recorded\n");
    std::fflush(stdout);
    return QApplication::exec();
}
