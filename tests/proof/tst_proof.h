#pragma once

#include "appfixture.h"

#include <QByteArray>
#include <QObject>

// A draw anyone can check: the journal of a real draw, changed in every way a cheat would
// try, is caught by the verifier and the line named; evenings rigged through the real
// window and journals forged on files are caught, one table for each kind of fault; random
// draws with voids, resets, crashes and resumes all verify, and the window's proof
// (drawProof(), the result sheet) says what the verifier says.
class TestProof : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cheatsAreCaught_data();
    void cheatsAreCaught();
    void randomDrawsVerify();

    // riggedevenings.cpp
    void riggedEveningsFail_data();
    void riggedEveningsFail();
    void truncationNeedsTheHead_data();
    void truncationNeedsTheHead();
    void linesNotWhole_data();
    void linesNotWhole();
    void timesRunForward_data();
    void timesRunForward();
    void shortCodesAreWeak_data();
    void shortCodesAreWeak();
    void pressPlaceOnAWinnerLine_data();
    void pressPlaceOnAWinnerLine();
    void endlessInputEnds_data();
    void endlessInputEnds();
    void otherEncodingsAreNamed_data();
    void otherEncodingsAreNamed();
    void resumesOfEveryVersionVerify_data();
    void resumesOfEveryVersionVerify();
    void earlierListsAreGiven_data();
    void earlierListsAreGiven();

private:
    QByteArray journal_; // of a real draw: seven winners, a void, a report, a clean end
    QByteArray list_;
    QByteArray typedJournal_;   // the same list, one winner typed in
    QByteArray resumedJournal_; // the same list: two winners, a crash, a resume, one more
};
