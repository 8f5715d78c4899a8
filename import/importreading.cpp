// The dialog's reading: the file opened and a sheet read on a thread of their own, the
// progress shown meanwhile, and a cancel that stops the reader.
#include "importdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>

ImportDialog::~ImportDialog()
{
    if (reader_) {
        cancel_ = true;
        reader_->wait();
        delete reader_;
    }
}

QString ImportDialog::sourceName() const
{
    if (!source_)
        return QFileInfo(path_).fileName();
    const QStringList sheets = source_->sheetNames();
    if (sheets.size() == 1 && sheets.first() == QFileInfo(path_).fileName())
        return sheets.first();
    return QFileInfo(path_).fileName() + QStringLiteral("，工作表“") + sheets.value(sheet_) +
           QStringLiteral("”");
}

void ImportDialog::startReading(int sheet)
{
    cancel_ = false;
    done_ = 0;
    total_ = 0;
    readFailure_ = {};
    setControlsEnabled(false);
    for (QAbstractButton *button : buttons_->buttons()) {
        if (buttons_->buttonRole(button) == QDialogButtonBox::AcceptRole)
            button->setEnabled(false);
    }
    readingLabel_->show();
    progress_->hide();
    progress_->setValue(0);
    QTimer::singleShot(ProgressDelayMs, this, [this] {
        if (reader_)
            progress_->show();
    });
    progressTimer_->start();

    ListSource *source = source_.get();
    reader_ = QThread::create([this, source, sheet] {
        const ReadProgress progress = [this](qint64 done, qint64 total) {
            done_ = done;
            total_ = total;
            return !cancel_.load();
        };
        SheetTable table;
        if (!source) {
            opened_ = openList(path_, progress, readFailure_);
            if (!readFailure_.ok())
                return;
            table = std::move(opened_.table);
        } else {
            table = source->readSheet(sheet, progress, readFailure_);
            if (!readFailure_.ok())
                return;
        }
        // The first choice is made here too, so that a million rows are counted before
        // the dialog shows them.
        suggested_ = suggestColumns(table);
        readNames_ = importNames(table, suggested_);
        read_ = std::move(table);
    });
    connect(reader_, &QThread::finished, this, &ImportDialog::readingFinished);
    reader_->start();
}

void ImportDialog::showProgress()
{
    const qint64 total = total_.load();
    if (total > 0)
        progress_->setValue(int(std::min<qint64>(1000, done_.load() * 1000 / total)));
}

void ImportDialog::readingFinished()
{
    progressTimer_->stop();
    reader_->wait();
    delete reader_;
    reader_ = nullptr;
    readingLabel_->hide();
    progress_->hide();
    if (!readFailure_.ok() || closeWhenRead_) {
        failure_ = closeWhenRead_ ? ReadFailure{ReadFailure::Kind::Cancelled, {}} : readFailure_;
        QDialog::reject();
        return;
    }
    if (opened_.source) {
        source_ = std::move(opened_.source);
        sheet_ = opened_.sheet;
    } else {
        sheet_ = sheetBox_->currentIndex();
    }
    table_ = std::move(read_);
    columns_ = suggested_;
    names_ = std::move(readNames_);
    header_ =
        columns_.firstRow > 0 ? std::optional<qsizetype>(columns_.firstRow - 1) : std::nullopt;
    notes_ = columns_.endRow >= 0 ? std::optional<qsizetype>(columns_.endRow) : std::nullopt;
    showSheet();
    emit loaded();
}

void ImportDialog::reject()
{
    // Cancel while reading stops the reading first; the dialog closes when it has.
    if (reader_) {
        cancel_ = true;
        closeWhenRead_ = true;
        return;
    }
    failure_ = {};
    QDialog::reject();
}
