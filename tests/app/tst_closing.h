#pragma once

#include <QObject>

// Closing the program where its folder cannot take the report (and maybe not the journal
// either): the operator is told, may save the report in a folder of their choosing, and
// the last message never names a report that was not written. A report with more winners
// than the new one is kept beside it.
class TestClosing : public QObject {
    Q_OBJECT
private slots:
    void closingInAFolderThatCannotBeWritten_data();
    void closingInAFolderThatCannotBeWritten();
    void fullerReportIsKeptBesideAnEmptierOne_data();
    void fullerReportIsKeptBesideAnEmptierOne();
};
