#pragma once

#include "appfixture.h"

#include <QByteArray>
#include <QObject>

// A draw anyone can check: the journal of a real draw, changed in every way a cheat would
// try, is caught by the verifier and the line named; random draws with voids, resets,
// crashes and resumes all verify, and the window's proof (drawProof(), the result sheet)
// says what the verifier says.
class TestProof : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cheatsAreCaught_data();
    void cheatsAreCaught();
    void randomDrawsVerify();

private:
    QByteArray journal_; // of a real draw: seven winners, a void, a report, a clean end
    QByteArray list_;
    QByteArray typedJournal_; // the same list, one winner typed in
};
