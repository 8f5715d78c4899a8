#pragma once

#include "appfixture.h"

#include <QObject>

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

private:
    QStringList journalLines() const;

    std::optional<AppFixture> fixture_;
};
