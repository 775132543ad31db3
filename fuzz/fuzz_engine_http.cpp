// The player engine on arbitrary bytes as the body of an http response, with a length or as a stream that
// ends when the server closes: open, play to the "test" output and end, without a crash, a hang or an engine
// that stops answering. Each input is served one of the two ways, chosen by a hash of the whole input (a flag
// byte would be learnt by the fuzzer and set in most inputs it keeps): every stream costs a connection, and one
// per input doubles the runs while both ways get half of them. A body that reads as a playlist has its entries
// asked for on the same server, which answers them "404 Not Found".

#include "body_server.h"
#include "engine_input.h"

#include <QHashFunctions>

#include <cstdint>
#include <memory>

namespace {
std::unique_ptr<fuzz::BodyServer> server;
QString sizedUrl;
QString streamUrl;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::initialize();
    server = std::make_unique<fuzz::BodyServer>();
    server->proxyEverything();
    sizedUrl = QString::fromStdString(server->url("/sized.mp3"));
    streamUrl = QString::fromStdString(server->url("/stream.mp3"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FUZZ_CHECK(server->listening(), QStringLiteral("test server"));
    server->setBody(data, size);
    static const bool timeouts = [] {
        XA_Player *player = fuzz::sharedEngine().player();
        control_message_send_SI(player, XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER, "http.stall_timeout_ms", 2000);
        control_message_send_SI(player, XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER, "http.connect_timeout_ms", 2000);
        return true;
    }();
    (void)timeouts;
    const bool sized = qHashBits(data, size, 0) % 2 == 0;
    fuzz::playInput(sized ? sizedUrl : streamUrl, 20000);
    return 0;
}
