#pragma once

#include <QString>

#include <cstdio>
#include <cstdlib>

// A broken property is a crash, so libFuzzer keeps the input that broke it.
inline void require(bool holds, const char *property, const QString &detail = {})
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s %s\n", property, qPrintable(detail));
    std::abort();
}
