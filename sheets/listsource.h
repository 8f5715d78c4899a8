#pragma once

#include "sheettable.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Why a file gives no list, for the operator's message (listSourceFailureText).
struct ReadFailure {
    enum class Kind {
        None,
        CannotOpen,      // missing, a folder, no permission: `detail` has the reason
        OldExcel,        // an Excel 97-2003 workbook (.xls) or another old Office file
        Encrypted,       // a workbook protected by a password
        Damaged,         // a broken or incomplete workbook: `detail` says where
        TooLarge,        // unpacks beyond the cap: a ZIP bomb, or a sheet far too big
        NoText,          // the file or the sheet holds no text at all
        UnsavedFormulas, // no text, but formulas saved without their results
        NotSpreadsheet,  // something else: `detail` names it (a web page, an unreadable .ods…)
        Cancelled,       // the operator stopped the reading
    };
    Kind kind = Kind::None;
    QString detail;
    bool ok() const { return kind == Kind::None; }
};

// Why a file that exists cannot be opened, in the operator's words (the system's own text
// may be in English).
QString openFailureReason(const QFileInfo &file);

// The operator's sentence: what is wrong with the file and what to do about it.
QString listSourceFailureText(const QString &path, const ReadFailure &failure);

// Told how far the reading is (bytes of the file, roughly) from the reading thread; answers
// false to stop it, which then fails with Cancelled.
using ReadProgress = std::function<bool(qint64 done, qint64 total)>;

// A file a name list is imported from: an Excel workbook (.xlsx) or an OpenDocument
// spreadsheet (.ods) with its sheets, or a text file (.csv, .txt) as one sheet. Reading a sheet
// streams it: a workbook's sheet of a million rows never stands whole in memory, only its cells'
// texts do. Only one thread may use a source at a time.
class TextBlockReader;

class ListSource {
public:
    virtual ~ListSource() = default;

    // The sheets as the workbook lists them; a text file has one, its file name.
    virtual QStringList sheetNames() const = 0;
    // Hidden sheets are listed too; the dialog marks them.
    virtual bool isHidden(int sheet) const = 0;
    // The sheet the file opens on: the workbook's active sheet when it is visible.
    virtual int firstSheet() const = 0;
    // What kind of file this is, for the dialog: "Excel 工作簿" or "文本文件，以逗号分隔".
    virtual QString description() const = 0;
    // A workbook has sheets to choose from; a text file is its one sheet.
    virtual bool isWorkbook() const { return true; }
    virtual SheetTable readSheet(int sheet, const ReadProgress &progress, ReadFailure &failure) = 0;
};

// Opens the file by what it holds, not by its name: a ZIP is read as a workbook (Excel's,
// or an OpenDocument spreadsheet), an old
// Office file or an encrypted workbook is refused with its reason, and text is read as
// delimited text in UTF-8 (with or without a byte-order mark), GBK or UTF-16 (with one).
// Null, with `failure` set, when the file cannot be a list. A text is read
// `textBlockBytes` at a time (tests make that small; 0 is TextBlockReader's own size).
std::unique_ptr<ListSource> openListSource(const QString &path, const ReadProgress &progress,
                                           ReadFailure &failure, qsizetype textBlockBytes = 0);

// The delimited text reader alone: the separator that the text uses most consistently
// (tab, semicolon, then comma on a tie; none when no line has one, or as a first line
// "sep=;" says), fields in double quotes holding separators, quotes ("") and line breaks.
struct DelimitedText {
    SheetTable table;
    QChar separator; // null for a text of one column
};
DelimitedText parseDelimitedText(QStringView text, const ReadProgress &progress = {},
                                 bool *cancelled = nullptr);

// The same from a text file decoded a piece at a time (`reader` started), so that neither
// the file nor its text stands whole in memory beside the table: a record is parsed once
// it has ended. `acceptStart` is shown the start of the text (4096 characters and 64 after
// any white space it starts with, or all of a shorter text) before anything is parsed, and
// refuses a file that is no list; `progress` is told bytes of `total`.
enum class TextFileReading { Read, Refused, Cancelled, Failed };
TextFileReading readDelimitedText(TextBlockReader &reader, qint64 total,
                                  const std::function<bool(QStringView)> &acceptStart,
                                  const ReadProgress &progress, DelimitedText &result);

// A file opened for import with the sheet it shows first: the one that holds the list
// (sheetWeight(): a names header, else the most rows of text), the workbook's own first
// sheet (firstSheet()) on a tie. Hidden sheets count only when every sheet is hidden. Fails
// with NoText when no sheet holds any text, UnsavedFormulas when formulas without results
// are all there is.
struct OpenedList {
    std::unique_ptr<ListSource> source;
    int sheet = 0;
    SheetTable table;
};
OpenedList openList(const QString &path, const ReadProgress &progress, ReadFailure &failure);
