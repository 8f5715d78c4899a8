#include "fuzzcheck.h"
#include "numericconversions.h"

#include <cmath>
#include <cstdint>
#include <limits>

// A quota line as the settings file gives it: the number, how the settings window shows
// it and the quota the main window uses.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const double value = numericValue(line);
    require(std::isfinite(value), "the value is finite", line);
    require(!(value == 0 && std::signbit(value)), "the value is never -0", line);

    // The settings window shows the number, and saving writes what it shows: reading
    // that text again must show the same.
    const QString shown = displayNumber(line);
    require(!shown.isEmpty() && !shown.contains(u' '), "the shown number is one word", shown);
    require(displayNumber(shown) == shown, "the shown number reads back as itself", line);

    // The quota is the shown value rounded to the nearest integer, or the end of the
    // 32-bit range it lies beyond.
    const double shownValue = numericValue(shown);
    const qint32 quota = quotaValue(line);
    constexpr double lowest = std::numeric_limits<qint32>::min();
    constexpr double highest = std::numeric_limits<qint32>::max();
    if (shownValue >= highest)
        require(quota == std::numeric_limits<qint32>::max(), "large values clamp", line);
    else if (shownValue <= lowest)
        require(quota == std::numeric_limits<qint32>::min(), "small values clamp", line);
    else
        require(std::fabs(quota - shownValue) <= 0.5, "the quota is the nearest integer", line);
    return 0;
}
