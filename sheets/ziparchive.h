#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>

#include <memory>

class QFile;
struct z_stream_s;

// A ZIP file read from its central directory, each entry inflated as a stream: an entry
// of a hundred megabytes passes through a buffer of a few hundred kilobytes. Only stored
// and deflated entries are read (what every spreadsheet program writes), ZIP64 included.
// What one entry may unpack is capped, against a small file that unpacks to gigabytes.
//
// Why not a kept library: Qt's QZipReader (private API of QtGui) inflates a whole entry
// into one QByteArray, so a sheet of a million rows would stand whole in memory (and
// again as text) before its first row is read; QuaZip streams, but Debian has it only for
// Linux, so the Windows program would need it built too. The directory is a few dozen
// lines of reading, and the inflating is zlib's: the system's, or the copy Qt carries
// (prizedraw_zlib, sheets/CMakeLists.txt).
class ZipArchive {
public:
    enum class Failure {
        None,
        CannotOpen,  // the file cannot be opened: `detail` has the system's reason
        NotZip,      // no central directory: not a ZIP file, or cut short
        Damaged,     // a ZIP whose directory or data is broken
        Encrypted,   // an entry is protected by a password
        Unsupported, // an entry is packed with a method other than store or deflate
        TooLarge,    // an entry would unpack beyond the cap
    };

    struct Entry {
        QString name;
        quint16 flags = 0;
        quint16 method = 0;
        quint32 crc = 0;
        qint64 compressedSize = 0;
        qint64 uncompressedSize = 0;
        qint64 localHeaderOffset = 0;
    };

    // What one entry may unpack, whatever it declares.
    static constexpr qint64 DefaultEntryCap = qint64(1) << 30;
    // No spreadsheet holds more entries than this; a directory of millions is an attack.
    static constexpr qsizetype MaxEntries = 100'000;

    explicit ZipArchive(const QString &path, qint64 entryCap = DefaultEntryCap);
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    // Reads the central directory; false with failure() and detail() set.
    bool open();
    Failure failure() const { return failure_; }
    QString detail() const { return detail_; }

    qint64 fileSize() const;
    qint64 entryCap() const { return entryCap_; }
    const QList<Entry> &entries() const { return entries_; }
    // The entry of that name (case-sensitive, as OPC names are compared after '/'), or null.
    const Entry *find(const QString &name) const;

    // The entry's bytes as a sequential device, inflated as they are read. Each read
    // checks the cap and, at the end, the size and CRC the directory declares; a failure
    // ends the stream early and is kept in the device (EntryDevice::failure()). Only one
    // entry's device may be read at a time. Null, with failure() set, when the entry
    // cannot be read at all (encrypted, unsupported, declared beyond the cap).
    class EntryDevice;
    std::unique_ptr<EntryDevice> openEntry(const Entry &entry);

    // How many compressed bytes the open entries have read from the file: for progress.
    qint64 bytesRead() const { return bytesRead_; }

private:
    bool fail(Failure failure, const QString &detail);
    bool readDirectory(qint64 directoryOffset, qint64 directorySize, qint64 count);

    friend class EntryDevice;
    QString path_;
    qint64 entryCap_;
    std::unique_ptr<QFile> file_;
    QList<Entry> entries_;
    Failure failure_ = Failure::None;
    QString detail_;
    qint64 bytesRead_ = 0;
};

class ZipArchive::EntryDevice : public QIODevice {
public:
    ~EntryDevice() override;
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    Failure failure() const { return failure_; }
    QString detail() const { return detail_; }
    // Unpacked bytes handed out so far.
    qint64 produced() const { return produced_; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    friend class ZipArchive;
    EntryDevice(ZipArchive &archive, const Entry &entry, qint64 dataOffset);
    qint64 fail(Failure failure, const QString &detail);
    bool refill();

    ZipArchive &archive_;
    Entry entry_;
    qint64 next_;      // file offset of the next compressed byte
    qint64 remaining_; // compressed bytes not yet taken from the file
    QByteArray input_;
    qsizetype inputAt_ = 0; // stored entries: the next byte of input_
    std::unique_ptr<z_stream_s> zip_;
    bool finished_ = false;
    quint32 crc_ = 0;
    qint64 produced_ = 0;
    Failure failure_ = Failure::None;
    QString detail_;
};
