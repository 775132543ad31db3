// The player engine on arbitrary bytes as a file: open, play to the "test" output and end, whatever the
// bytes, without a crash, a hang or an engine that stops answering. A file that reads as a playlist may name
// web locations: they are asked of a local server that knows none of them, never of the network.

#include "body_server.h"
#include "engine_input.h"

#include <cstdint>
#include <memory>

namespace {
std::unique_ptr<fuzz::BodyServer> server;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::initialize();
    server = std::make_unique<fuzz::BodyServer>();
    server->proxyEverything();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::scratchPath(QStringLiteral("input.mp3"));
    FUZZ_CHECK(fuzz::writeFile(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))), path);
    fuzz::playInput(path, 20000);
    return 0;
}
