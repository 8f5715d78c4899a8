#pragma once

#include "importnames.h"
#include "listsource.h"

#include <QDialog>

#include <atomic>
#include <memory>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QProgressBar;
class QSpinBox;
class QTableWidget;
class QThread;
class QTimer;

// The import dialog: reads a workbook or a delimited text in a thread of its own (a
// progress bar shows when that takes more than half a second), then shows the sheets, the
// columns with their header and first rows, and what the chosen column (or two, joined as
// "张三（销售部）") gives: the number of names, the empty rows skipped and the duplicates,
// and what was left out (hidden rows, error values, notes under the list). The header is
// left out when it is recognised, and the operator may name any row as the header. OK
// ("导入") is enabled once there is a name; the dialog itself writes nothing: after
// accept(), names() is the list.
class ImportDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImportDialog(const QString &path, QWidget *parent = nullptr);
    ~ImportDialog() override;

    QString path() const { return path_; }
    // After a rejection: why the file gave no list (Cancelled when the operator stopped
    // the reading, None when the operator cancelled afterwards).
    const ReadFailure &failure() const { return failure_; }
    bool isReading() const { return reader_ != nullptr; }
    const ImportedNames &names() const { return names_; }
    // The sheet or file the names come from, for the journal and the confirmation.
    QString sourceName() const;

    // How long the reading may take before the progress bar shows.
    static constexpr int ProgressDelayMs = 500;

signals:
    // The file has been read and the choice shown (also after a change of sheet).
    void loaded();

protected:
    void reject() override;

private:
    void startReading(int sheet);
    void readingFinished();
    void showProgress();
    void showSheet();
    void choiceChanged();
    void nameColumnChanged();
    void fillPreview();
    void showSummary();
    void setControlsEnabled(bool enabled);

    QString path_;
    ReadFailure failure_;
    std::unique_ptr<ListSource> source_;
    int sheet_ = 0;
    SheetTable table_;
    ImportColumns columns_;
    std::optional<qsizetype> header_;
    std::optional<qsizetype> notes_; // the first row of the notes under the list
    ImportedNames names_;

    // The reading thread and what it hands back.
    QThread *reader_ = nullptr;
    std::atomic<qint64> done_{0};
    std::atomic<qint64> total_{0};
    std::atomic<bool> cancel_{false};
    OpenedList opened_;
    SheetTable read_;
    ReadFailure readFailure_;
    ImportColumns suggested_;
    ImportedNames readNames_;
    bool closeWhenRead_ = false;

    QLabel *fileLabel_ = nullptr;
    QLabel *kindLabel_ = nullptr;
    QLabel *sheetLabel_ = nullptr;
    QComboBox *sheetBox_ = nullptr;
    QComboBox *nameBox_ = nullptr;
    QComboBox *detailBox_ = nullptr;
    QSpinBox *headerRow_ = nullptr;
    QLabel *headerNote_ = nullptr;
    QCheckBox *notesBox_ = nullptr;
    QCheckBox *hiddenBox_ = nullptr;
    QTableWidget *preview_ = nullptr;
    QLabel *summary_ = nullptr;
    QLabel *readingLabel_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QTimer *progressTimer_ = nullptr;
    QDialogButtonBox *buttons_ = nullptr;
    bool updating_ = false;
};
