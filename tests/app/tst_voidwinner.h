#pragma once

#include "appfixture.h"

#include <QObject>

#include <optional>

// Voiding a winner who is not there, through the real main window: the log, the status
// line, the tiers, the journal and the report; and a killed run resumed with the void.
class TestVoidWinner : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void voidTheNewestThenDrawAgain();
    void voidTheLineAtTheCaret_data();
    void voidTheLineAtTheCaret();
    void questionBoxAnswers_data();
    void questionBoxAnswers();
    void killedRunResumesWithTheVoid();

private:
    QStringList journalLines() const;
    QString withLineChecks(QString text) const;

    std::optional<AppFixture> fixture_;
};
