#pragma once

#include "appfixture.h"

#include <QMap>
#include <QObject>
#include <QProcess>

#include <optional>

// The draw journal as the program writes it, and a run killed in the middle of a draw
// that the next start resumes.
class TestJournal : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void scriptedEventIsJournalledLineByLine();
    void killedRunResumesWhereItStopped();
    void resumeWarnsWhenTheListChanged();
    void journalFailureIsSaidOnceAndTheDrawGoesOn();
    void noticeDuringARollWaitsForTheStop();
    void fullDiskRunResumesWithEveryWinnerAndTheVoid();
    void unfinishedDrawIsOfferedWhateverBecameOfTheJournal_data();
    void unfinishedDrawIsOfferedWhateverBecameOfTheJournal();
    void secondCopyInTheFolderWritesNothing();
    void killedDuringTheResumeOffersTheDrawAgain();
    void resumeQuestionLeftWithoutAChoiceResumes_data();
    void resumeQuestionLeftWithoutAChoiceResumes();
    void pastedLineBreaksStayOutOfTheDisplay();

private:
    QStringList journalLines() const;
    QStringList startChild(QProcess &child, const QStringList &arguments,
                           const QString &last) const;
    QMap<QString, QByteArray> folderContents() const;

    std::optional<AppFixture> fixture_;
};
