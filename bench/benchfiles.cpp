#include "benchfiles.h"

#include "namegenerator.h"

#include <cstdio>
#include <cstdlib>

GeneratedProgramDirectory::GeneratedProgramDirectory(qsizetype count)
{
    // A benchmark without its input would measure nothing; stop loudly instead.
    if (!directory_.isValid() || !writeProgramFiles(directory_.path(), count)) {
        std::fprintf(stderr, "cannot write the generated program files\n");
        std::exit(EXIT_FAILURE);
    }
}
