#include "listsource.h"

#include "fileaccess.h"
#include "odssource.h"
#include "sheetlayout.h"
#include "textblocks.h"
#include "xlsxsource.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace {

const QByteArray CompoundFileSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// An encrypted .xlsx is an OLE compound file whose streams are named EncryptionInfo and
// EncryptedPackage (in UTF-16); an .xls is a compound file without them. The names stand
// in the file's directory, so the file is searched a block at a time.
bool isEncryptedPackage(const QString &path)
{
    const QByteArray name = QByteArray("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray carry;
    while (!file.atEnd()) {
        const QByteArray block = carry + file.read(1 << 20);
        if (block.contains(name))
            return true;
        carry = block.right(name.size());
        if (block.size() <= name.size())
            break;
    }
    return false;
}

class TextSource : public ListSource {
public:
    TextSource(const QString &path, DelimitedText parsed, qsizetype blockBytes)
        : path_(path), table_(std::move(parsed.table)), separator_(parsed.separator),
          blockBytes_(blockBytes)
    {
    }

    QStringList sheetNames() const override { return {QFileInfo(path_).fileName()}; }
    bool isHidden(int) const override { return false; }
    int firstSheet() const override { return 0; }
    bool isWorkbook() const override { return false; }
    QString description() const override
    {
        if (separator_ == u'\t')
            return QStringLiteral("文本文件，以制表符分隔");
        if (separator_ == u';')
            return QStringLiteral("文本文件，以分号分隔");
        if (separator_ == u',')
            return QStringLiteral("文本文件，以逗号分隔");
        return QStringLiteral("文本文件，每行一项");
    }
    SheetTable readSheet(int sheet, const ReadProgress &progress, ReadFailure &failure) override
    {
        failure = {};
        if (sheet != 0) {
            failure = {ReadFailure::Kind::NoText, {}};
            return {};
        }
        // The table read at opening goes out once; a second read reads the file again.
        if (!taken_) {
            taken_ = true;
            return std::move(table_);
        }
        auto again = openListSource(path_, progress, failure, blockBytes_);
        return again ? again->readSheet(0, progress, failure) : SheetTable();
    }

private:
    QString path_;
    SheetTable table_;
    QChar separator_;
    qsizetype blockBytes_;
    bool taken_ = false;
};

bool startsWithMarkup(QStringView text)
{
    const QStringView start = text.trimmed().left(64);
    for (const char *tag : {"<html", "<!doctype", "<?xml", "<table", "<head", "<meta"}) {
        if (start.startsWith(QLatin1String(tag), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// Excel's "XML Spreadsheet 2003", often named .xls: an XML document in Excel's own
// namespace, with a <Workbook> element.
bool isExcel2003Xml(QStringView text)
{
    const QStringView start = text.left(4096);
    return start.trimmed().startsWith(u"<?xml") &&
           start.contains(u"urn:schemas-microsoft-com:office:spreadsheet");
}

} // namespace

QString openFailureReason(const QFileInfo &file)
{
    if (!file.exists())
        return QStringLiteral("文件不存在");
    if (file.isDir())
        return folderReason();
    if (!file.isReadable())
        return QStringLiteral("没有读取这个文件的权限");
    return QStringLiteral("系统不让打开这个文件，它可能正被别的程序独占使用");
}

QString listSourceFailureText(const QString &path, const ReadFailure &failure)
{
    const QString detail =
        failure.detail.isEmpty() ? QString() : QStringLiteral("（%1）").arg(failure.detail);
    switch (failure.kind) {
    case ReadFailure::Kind::None:
        return {};
    case ReadFailure::Kind::CannotOpen:
        return readError(path, failure.detail);
    case ReadFailure::Kind::OldExcel:
        return path + QStringLiteral(" 是旧格式的工作簿（Excel 97-2003 的 .xls，或 WPS 表格的 "
                                     ".et），程序读不了。"
                                     "请用 Excel 或 WPS 打开它，选“文件 → 另存为”，保存类型选"
                                     "“Excel 工作簿 (*.xlsx)”，再导入保存好的 .xlsx 文件。");
    case ReadFailure::Kind::Encrypted:
        return path + QStringLiteral(" 设有打开密码（已加密），程序读不了。请用 Excel 打开它，在"
                                     "“文件 → 信息 → 保护工作簿 → 用密码进行加密”里清空密码并保存，"
                                     "再导入；或者把名单复制到一个没有密码的新工作簿里。");
    case ReadFailure::Kind::Damaged:
        return path + QStringLiteral(" 已损坏或不完整，读不出名单") + detail +
               QStringLiteral("。如果文件是下载或拷贝来的，请重新下载或拷贝一次；也可以用 Excel "
                              "打开它（Excel 会尝试修复），另存为新的 .xlsx 文件后再导入。");
    case ReadFailure::Kind::TooLarge:
        return path + QStringLiteral(" 解压后大得异常") + detail +
               QStringLiteral("，为了安全没有读取。正常的名单不会这样，它可能是恶意构造的文件"
                              "（“ZIP 炸弹”）。请从可靠的来源重新获取名单，或者把名单复制到一个"
                              "新工作簿里保存后再导入。");
    case ReadFailure::Kind::NoText:
        return path + QStringLiteral(" 里没有文字") + detail +
               QStringLiteral("。请确认选对了文件：名单应当在工作表的某一列里，每行一个名字。");
    case ReadFailure::Kind::UnsavedFormulas:
        return path + QStringLiteral(" 里的名字是公式算出来的，但公式没有保存结果：请在表格程序里"
                                     "打开并保存一次，再导入。");
    case ReadFailure::Kind::NotSpreadsheet:
        if (failure.detail == u"OpenDocument")
            return path + QStringLiteral(
                              " 是 OpenDocument 表格（.ods），但程序读不出其中的工作表，文件可能"
                              "已损坏。请用 WPS、LibreOffice 或 Excel 打开它，另存为 Excel "
                              "工作簿（.xlsx）再导入。");
        if (failure.detail == u"Word")
            return path + QStringLiteral(
                              " 是 Word 文档，不是表格。请把名单放进 Excel 或 WPS 表格（每行一个"
                              "名字）并保存为 .xlsx 再导入；也可以把名单复制到记事本，保存为 .txt "
                              "再导入。");
        if (failure.detail == u"Excel2003XML")
            return path + QStringLiteral(
                              " 是 Excel 2003 XML 表格（“XML 电子表格 2003”），不是真正的工作簿，"
                              "程序读不了。请用 Excel 或 WPS 打开它，选“文件 → 另存为”，保存类型"
                              "选“Excel 工作簿 (*.xlsx)”，再导入保存好的 .xlsx 文件。");
        if (failure.detail == u"HTML")
            return path + QStringLiteral(
                              " 是网页格式（从网站导出的“.xls”常常是这样），不是真正的"
                              "工作簿。请用 Excel 打开它，另存为 Excel 工作簿（.xlsx）再导入。");
        return path + QStringLiteral(" 不是名单文件") + detail +
               QStringLiteral("。请导入 Excel 工作簿（.xlsx）、OpenDocument 表格（.ods）"
                              "或者文本文件（.csv、.txt）。");
    case ReadFailure::Kind::Cancelled:
        return QStringLiteral("已停止读取 ") + path + QStringLiteral("，名单没有改变。");
    }
    return {};
}

std::unique_ptr<ListSource> openListSource(const QString &path, const ReadProgress &progress,
                                           ReadFailure &failure, qsizetype textBlockBytes)
{
    failure = {};
    const QFileInfo info(path);
    if (info.isDir()) {
        failure = {ReadFailure::Kind::CannotOpen, folderReason()};
        return nullptr;
    }
    if (!info.exists()) {
        failure = {ReadFailure::Kind::CannotOpen, QStringLiteral("文件不存在")};
        return nullptr;
    }
    QByteArray start;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            failure = {ReadFailure::Kind::CannotOpen, openFailureReason(info)};
            return nullptr;
        }
        start = file.read(8);
    }
    if (start.isEmpty()) {
        failure = {ReadFailure::Kind::NoText, QStringLiteral("文件是空的")};
        return nullptr;
    }
    if (start.startsWith("PK")) {
        // A ZIP is an Excel workbook, or else perhaps an OpenDocument spreadsheet.
        std::unique_ptr<ListSource> workbook = openXlsxSource(path, progress, failure);
        if (!workbook && failure.kind == ReadFailure::Kind::NotSpreadsheet &&
            failure.detail == u"OpenDocument")
            return openOdsSource(path, progress, failure);
        return workbook;
    }
    if (start == CompoundFileSignature) {
        failure = {isEncryptedPackage(path) ? ReadFailure::Kind::Encrypted
                                            : ReadFailure::Kind::OldExcel,
                   {}};
        return nullptr;
    }
    if (start.startsWith("%PDF")) {
        failure = {ReadFailure::Kind::NotSpreadsheet, QStringLiteral("PDF")};
        return nullptr;
    }

    // A list of a million names is some tens of megabytes; beyond a gigabyte a text is no
    // list, and the sheet's texts are counted in 32 bits.
    if (info.size() > (qint64(1) << 30)) {
        failure = {ReadFailure::Kind::TooLarge, QStringLiteral("文本文件超过 1 GB")};
        return nullptr;
    }
    // The text is decoded and split a block at a time: only the table stands whole.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failure = {ReadFailure::Kind::CannotOpen, openFailureReason(info)};
        return nullptr;
    }
    const QByteArray head = file.read(65536);
    const bool utf16 = head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF");
    if (!utf16 && head.contains('\0')) {
        failure = {ReadFailure::Kind::NotSpreadsheet, QStringLiteral("二进制文件")};
        return nullptr;
    }
    if (progress && !progress(0, file.size())) {
        failure = {ReadFailure::Kind::Cancelled, {}};
        return nullptr;
    }
    const auto acceptStart = [&failure](QStringView start) {
        if (isExcel2003Xml(start))
            failure = {ReadFailure::Kind::NotSpreadsheet, QStringLiteral("Excel2003XML")};
        else if (startsWithMarkup(start))
            failure = {ReadFailure::Kind::NotSpreadsheet, QStringLiteral("HTML")};
        return failure.ok();
    };
    TextBlockReader reader(file, textBlockBytes > 0 ? textBlockBytes
                                                    : TextBlockReader::DefaultBlockBytes);
    DelimitedText parsed;
    const TextFileReading reading =
        reader.start() ? readDelimitedText(reader, file.size(), acceptStart, progress, parsed)
                       : TextFileReading::Failed;
    switch (reading) {
    case TextFileReading::Read:
        break;
    case TextFileReading::Refused:
        return nullptr;
    case TextFileReading::Cancelled:
        failure = {ReadFailure::Kind::Cancelled, {}};
        return nullptr;
    case TextFileReading::Failed:
        failure = {ReadFailure::Kind::CannotOpen, file.errorString()};
        return nullptr;
    }
    if (parsed.table.isEmpty()) {
        failure = {ReadFailure::Kind::NoText, {}};
        return nullptr;
    }
    return std::make_unique<TextSource>(path, std::move(parsed), textBlockBytes);
}

OpenedList openList(const QString &path, const ReadProgress &progress, ReadFailure &failure)
{
    OpenedList opened;
    opened.source = openListSource(path, progress, failure);
    if (!opened.source)
        return opened;
    const int count = int(opened.source->sheetNames().size());
    const int first = opened.source->firstSheet();
    // The sheet the file opens on, unless another holds the list: a cover sheet of
    // instructions comes first in many workbooks. Hidden sheets only when all are.
    bool anyVisible = false;
    for (int sheet = 0; sheet < count; ++sheet)
        anyVisible = anyVisible || !opened.source->isHidden(sheet);
    SheetWeight best;
    qsizetype unsavedFormulas = 0;
    for (int n = 0; n < count; ++n) {
        const int sheet = (first + n) % count;
        if (anyVisible && opened.source->isHidden(sheet))
            continue;
        SheetTable table = opened.source->readSheet(sheet, progress, failure);
        if (!failure.ok()) {
            opened.source.reset();
            return opened;
        }
        unsavedFormulas += table.unsavedFormulas();
        if (table.isEmpty())
            continue;
        const SheetWeight weight = sheetWeight(table);
        if (opened.table.isEmpty() || weight.outweighs(best)) {
            best = weight;
            opened.sheet = sheet;
            opened.table = std::move(table);
        }
        if (best.nameHeader)
            break;
    }
    if (!opened.table.isEmpty())
        return opened;
    if (unsavedFormulas > 0)
        failure = {ReadFailure::Kind::UnsavedFormulas, {}};
    else
        failure = {ReadFailure::Kind::NoText, count > 1
                                                  ? QStringLiteral("%1 个工作表都是空的").arg(count)
                                                  : QStringLiteral("工作表是空的")};
    opened.source.reset();
    return opened;
}
