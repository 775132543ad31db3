// The player engine on arbitrary bytes as the body of an http response, with a length or as a stream that
// ends when the server closes: open, play to the "test" output and end, without a crash, a hang or an engine
// that stops answering. Each input is served one of the two ways, chosen by a hash of the whole input (a flag
// byte would be learnt by the fuzzer and set in most inputs it keeps): every stream costs a connection and a
// reader thread, and one per input doubles the runs while both ways get half of them.

#include "engine_input.h"

#include "tools/httpserver.h"

#include <QHashFunctions>

#include <cstdint>
#include <memory>

namespace {
std::unique_ptr<testtools::TestHttpServer> server;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::initialize();
    server = std::make_unique<testtools::TestHttpServer>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FUZZ_CHECK(server->isListening(), QStringLiteral("test server"));
    const QByteArray body(reinterpret_cast<const char *>(data), qsizetype(size));
    server->setRoute(QStringLiteral("/sized.mp3"), testtools::HttpResponse::ok(body));
    server->setRoute(QStringLiteral("/stream.mp3"),
                     testtools::HttpResponse::ok(body, testtools::HttpResponse::Length::None));
    static const bool timeouts = [] {
        XA_Player *player = fuzz::sharedEngine().player();
        control_message_send_SI(player, XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER, "http.stall_timeout_ms", 2000);
        control_message_send_SI(player, XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER, "http.connect_timeout_ms", 2000);
        return true;
    }();
    (void)timeouts;
    const bool sized = qHash(body, 0) % 2 == 0;
    fuzz::playInput(server->url(sized ? QStringLiteral("/sized.mp3") : QStringLiteral("/stream.mp3")), 20000);
    return 0;
}
