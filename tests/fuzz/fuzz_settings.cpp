#include "fuzzcheck.h"
#include "settingsfile.h"
#include "textcodec.h"

#include <cstdint>

// Any bytes as bt.txt: the five lines, the quotas and the settings window's texts; then
// an unchanged save of those texts, which must give the main window the same quotas.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    SettingsLines read;
    read.lines = parseSettingsLines(bytes);
    for (const QString &line : read.lines)
        require(!line.contains(u'\r') && !line.contains(u'\n'), "a line holds no line end", line);

    const std::array<QString, 5> shown = read.settingsWindowTexts();
    require(shown[0] == read.title(), "the settings window shows the title as it stands");
    QString saved;
    for (const QString &text : shown)
        saved += text + QStringLiteral("\r\n");
    SettingsLines reread;
    reread.lines = parseSettingsLines(encodeText(saved));
    require(reread.quotas() == read.quotas(), "an unchanged save keeps the quotas", read.title());
    return 0;
}
