// Equalizer files with arbitrary contents.
// - A file never yields more than 32 positions, and reading the file gives what parsing its bytes gives.
// - Every position read is written out again by the writer and read back unchanged, and the file written for
//   a complete set of positions reads back complete.

#include "fuzz_support.h"

#include "audio/eqs_file.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    const audio::EqsContents parsed = audio::ParseEqs(file);
    FUZZ_CHECK(parsed.count >= 0 && parsed.count <= audio::kSliderCount, QString::number(parsed.count));

    const QString path = fuzz::scratchPath(QStringLiteral("fuzz.eqs"));
    FUZZ_CHECK(fuzz::writeFile(path, file), path);
    const audio::EqsRead read = audio::ReadEqsFile(path);
    FUZZ_CHECK(read.opened, path);
    FUZZ_CHECK(read.contents.count == parsed.count && read.contents.values == parsed.values, fuzz::shown(file));

    // Unused slots keep 0, so the written file is always complete.
    FUZZ_CHECK(audio::WriteEqsFile(path, parsed.values).isEmpty(), path);
    const audio::EqsRead again = audio::ReadEqsFile(path);
    FUZZ_CHECK(again.opened && again.contents.complete(), fuzz::shown(fuzz::readFile(path)));
    FUZZ_CHECK(again.contents.values == parsed.values, fuzz::shown(fuzz::readFile(path)));
    return 0;
}
