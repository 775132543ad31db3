// The library's entry points: player creation and deletion, priorities, error texts, the conversion of
// posted events into message records, and the command senders.

#include "xaudio.h"

#include "command_queue.h"
#include "engine.h"

#include <atomic>
#include <future>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

struct XA_Player {
    std::shared_ptr<xa_engine::CommandQueue> queue = std::make_shared<xa_engine::CommandQueue>();
    std::thread thread;
    pid_t tid = 0;  // the engine thread's kernel id, for its scheduling priority
};

namespace {
// Nice values for the five priorities, lowest to highest.
constexpr int kNice[5] = {15, 5, 0, -5, -10};

int priority_from_nice(int nice)
{
    if (nice >= 10)
        return XA_PRIORITY_LOWEST;
    if (nice >= 3)
        return XA_PRIORITY_LOW;
    if (nice >= -2)
        return XA_PRIORITY_NORMAL;
    if (nice >= -7)
        return XA_PRIORITY_HIGH;
    return XA_PRIORITY_HIGHEST;
}

int push(XA_Player *player, xa_engine::Command command)
{
    if (!player)
        return XA_ERROR_INVALID_PARAMETERS;
    player->queue->push(std::move(command));
    return XA_SUCCESS;
}

xa_engine::Command make(int code, int32_t a = 0, int32_t b = 0, int32_t c = 0)
{
    xa_engine::Command command;
    command.code = code;
    command.ints[0] = a;
    command.ints[1] = b;
    command.ints[2] = c;
    return command;
}

std::string text_or_empty(const char *text) { return text ? std::string(text) : std::string(); }
}  // namespace

XA_NotificationEvent::XA_NotificationEvent(XA_Message message) : QEvent(eventType()), message_(std::move(message)) { }

QEvent::Type XA_NotificationEvent::eventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

int xaudio_get_api_version(int /*api_id*/) { return (3 << 16) | (2 << 8); }

int player_new(XA_Player **player, QObject *notification_target)
{
    if (!player)
        return XA_ERROR_INVALID_PARAMETERS;
    *player = nullptr;
    (void)XA_NotificationEvent::eventType();  // registered on the caller's thread, before any posting
    auto *p = new XA_Player;
    std::promise<pid_t> started;
    auto tid = started.get_future();
    try {
        p->thread = std::thread([queue = p->queue, notification_target, &started] {
            started.set_value(static_cast<pid_t>(::syscall(SYS_gettid)));
            xa_engine::Engine engine(notification_target, queue);
            engine.run();
        });
    } catch (const std::system_error &) {
        delete p;
        return XA_ERROR_OUT_OF_MEMORY;
    }
    p->tid = tid.get();
    *player = p;
    return XA_SUCCESS;
}

void player_delete(XA_Player *player)
{
    if (!player)
        return;
    // A second Exit after one the caller sent is never read: the engine stops at the first.
    player->queue->push(make(XA_MSG_COMMAND_EXIT));
    if (player->thread.joinable())
        player->thread.join();
    delete player;
}

int player_set_priority(XA_Player *player, int priority)
{
    if (!player || priority < XA_PRIORITY_LOWEST || priority > XA_PRIORITY_HIGHEST)
        return XA_ERROR_INVALID_PARAMETERS;
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(player->tid), kNice[priority]) != 0)
        return XA_FAILURE;  // raising needs privileges; player_get_priority tells what is in force
    return XA_SUCCESS;
}

int player_get_priority(XA_Player *player)
{
    if (!player)
        return XA_ERROR_INVALID_PARAMETERS;
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(player->tid));
    if (nice == -1 && errno != 0)
        return XA_PRIORITY_NORMAL;
    return priority_from_nice(nice);
}

const char *xaudio_error_string(int code)
{
    switch (code) {
    case XA_SUCCESS:
        return "No error.";
    case XA_FAILURE:
        return "The operation failed.";
    case XA_ERROR_OUT_OF_MEMORY:
        return "Not enough memory.";
    case XA_ERROR_INVALID_PARAMETERS:
        return "Invalid parameters.";
    case XA_ERROR_NOT_SUPPORTED:
        return "The operation is not supported.";
    case XA_ERROR_NO_INPUT:
        return "No input is open.";
    case XA_ERROR_INPUT_NOT_FOUND:
        return "The file does not exist.";
    case XA_ERROR_INPUT_PERMISSION_DENIED:
        return "Permission to read the file was denied.";
    case XA_ERROR_INPUT_IS_DIRECTORY:
        return "The name is a folder, not a file.";
    case XA_ERROR_INPUT_CANNOT_READ:
        return "The input could not be read.";
    case XA_ERROR_INPUT_NOT_MPEG_AUDIO:
        return "The input is not MPEG audio.";
    case XA_ERROR_INPUT_NOT_SEEKABLE:
        return "The input cannot seek.";
    case XA_ERROR_NETWORK_HOST_NOT_FOUND:
        return "The server's name could not be resolved.";
    case XA_ERROR_NETWORK_CONNECT_FAILED:
        return "The connection to the server failed.";
    case XA_ERROR_NETWORK_HTTP_STATUS:
        return "The server answered with an error.";
    case XA_ERROR_NETWORK_TIMEOUT:
        return "The server stopped responding.";
    case XA_ERROR_NETWORK_TRANSFER:
        return "The network transfer failed.";
    case XA_ERROR_OUTPUT_OPEN_FAILED:
        return "The sound output could not be opened.";
    case XA_ERROR_OUTPUT_FORMAT:
        return "The sound output does not accept the format.";
    case XA_ERROR_OUTPUT_WRITE:
        return "Writing to the sound output failed.";
    case XA_ERROR_DECODER:
        return "The decoder failed.";
    case XA_ERROR_NO_SUCH_MODULE:
        return "No such module.";
    case XA_ERROR_NO_SUCH_ENVIRONMENT:
        return "No such environment variable.";
    case XA_ERROR_INVALID_STATE:
        return "The command is not possible in the player's state.";
    default:
        return "Unknown error.";
    }
}

int control_event_to_message(XA_Player * /*player*/, XA_Message *message, const QEvent *event)
{
    if (!message || !event || event->type() != XA_NotificationEvent::eventType())
        return XA_FAILURE;
    *message = static_cast<const XA_NotificationEvent *>(event)->message();
    return XA_SUCCESS;
}

int control_message_send_N(XA_Player *player, int code) { return push(player, make(code)); }

int control_message_send_I(XA_Player *player, int code, int32_t value) { return push(player, make(code, value)); }

int control_message_send_II(XA_Player *player, int code, int32_t value1, int32_t value2)
{
    return push(player, make(code, value1, value2));
}

int control_message_send_III(XA_Player *player, int code, int32_t value1, int32_t value2, int32_t value3)
{
    return push(player, make(code, value1, value2, value3));
}

int control_message_send_S(XA_Player *player, int code, const char *text)
{
    auto command = make(code);
    command.texts[0] = text_or_empty(text);
    return push(player, std::move(command));
}

int control_message_send_SS(XA_Player *player, int code, const char *text1, const char *text2)
{
    auto command = make(code);
    command.texts[0] = text_or_empty(text1);
    command.texts[1] = text_or_empty(text2);
    return push(player, std::move(command));
}

int control_message_send_SI(XA_Player *player, int code, const char *text, int32_t value)
{
    auto command = make(code, value);
    command.texts[0] = text_or_empty(text);
    return push(player, std::move(command));
}

int control_message_send_IPI(XA_Player *player, int code, int32_t type, const void *data, int32_t size)
{
    auto command = make(code, type, 0, size);
    if (data && size > 0) {
        if (size > (1 << 20))
            return XA_ERROR_INVALID_PARAMETERS;
        const auto *bytes = static_cast<const uint8_t *>(data);
        command.data.assign(bytes, bytes + size);
        command.has_data = true;
    }
    return push(player, std::move(command));
}

int control_message_send_P(XA_Player *player, int code, const void *data)
{
    auto command = make(code);
    if (data) {
        // The only command of this form takes an equalizer record.
        const auto *bytes = static_cast<const uint8_t *>(data);
        command.data.assign(bytes, bytes + sizeof(XA_EqualizerInfo));
        command.has_data = true;
    }
    return push(player, std::move(command));
}
