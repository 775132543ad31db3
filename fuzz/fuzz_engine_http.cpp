// The player engine on arbitrary bytes as the body of an http response, once with a length and once as a
// stream that ends when the server closes: open, play to the "test" output and end, without a crash, a hang
// or an engine that stops answering.

#include "engine_input.h"

#include "tools/httpserver.h"

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
    server->setRoute(QStringLiteral("/stream.mp3"), testtools::HttpResponse::ok(body, testtools::HttpResponse::Length::None));
    static const bool timeouts = [] {
        XA_Player *player = fuzz::sharedEngine().player();
        control_message_send_SI(player, XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER, "http.stall_timeout_ms", 2000);
        control_message_send_SI(player, XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER, "http.connect_timeout_ms", 2000);
        return true;
    }();
    (void)timeouts;
    for (const char *path : {"/sized.mp3", "/stream.mp3"})
        fuzz::playInput(server->url(QString::fromLatin1(path)), 20000);
    return 0;
}
