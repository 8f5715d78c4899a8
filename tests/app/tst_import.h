#pragma once

#include "appfixture.h"

#include <QObject>

#include <functional>
#include <optional>

class ImportDialog;

// Importing a name list through the real main window: a workbook dropped onto it, the
// context menu's file, the dialog's choices and its OK and Cancel, the refusal while a
// tier rolls, the question when winners are recorded, broken files, and the progress bar
// of a large workbook.
class TestImport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void droppedWorkbookBecomesTheListAndTheDrawRunsOnIt();
    void menuImportCancelledWritesNothing();
    void bothMenusHoldTheImport();
    void onlyFilesAreTakenFromADrag();
    void refusedWhileATierRolls();
    void recordedWinnersAreAskedAbout();
    void choosingOneColumnAndNoHeader();
    void hiddenRowsAndNotesAreLeftOutUntilTakenIn();
    void openDocumentSpreadsheetOffersItsSheets();
    void brokenFilesGiveTheirMessageAndWriteNothing_data();
    void brokenFilesGiveTheirMessageAndWriteNothing();
    void largeWorkbookShowsProgressAndCanBeStopped();

private:
    // Drops `path` onto the window; while the import dialog is open (modal), `act` runs on
    // it once it has read the file. dialogOpened_ tells whether a dialog opened.
    // With whenRead false, `act` runs as soon as the dialog shows, while it reads.
    void dropAndAnswer(Form1 &window, const QString &path,
                       const std::function<void(ImportDialog &)> &act, bool whenRead = true);
    QString staffWorkbook() const;
    QStringList filesInFolder() const;

    std::optional<AppFixture> fixture_;
    bool dialogOpened_ = false;
};
