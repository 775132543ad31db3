#pragma once
// The decoder-and-player library: one player object per call of player_new, each with its own engine thread
// that opens MPEG audio files and http/https streams, decodes them with libmpg123 and plays them through
// libout123.
//
// A NOTE ON THREADS
// - Every function below is called from the thread that created the player (the UI thread). None of them
//   blocks on decoding, output or the network: the control_message_send_* functions copy their arguments
//   into the player's command queue and return at once.
// - The engine thread never calls into the caller. It posts each notification as an XA_NotificationEvent to
//   the notification target given to player_new (QCoreApplication::postEvent), so notifications are handled
//   on the target's thread, one at a time, in the order they were posted. The queue is unbounded: nothing
//   is dropped.
// - player_set_priority and player_get_priority act on the engine thread directly and answer at once.
// - player_delete stops the engine thread and waits for it (at most one output chunk); a network transfer
//   that is still connecting is abandoned and cleans up after itself.

#include <QEvent>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

class QObject;

struct XA_Player;

// Equalizer record: 32 signed bands per channel, band 0 the lowest; 0 is flat, -128..127 spans about +-12 dB.
struct XA_EqualizerInfo {
    int8_t left[32];
    int8_t right[32];
};
static_assert(sizeof(XA_EqualizerInfo) == 64);

// A notification. The numeric fields lie at the same record offsets (4..15, little-endian) and with the same
// widths as in the classic 16-byte record; the texts that the classic record referenced at offsets 4, 8 and 12
// are owned by the message itself, and so is the equalizer record, so nothing points into engine memory.
struct XA_Message {
    int32_t code = 0;
    uint8_t data[12] = {};
    std::string texts[3];                               // text at record offset 4, 8, 12
    std::shared_ptr<const XA_EqualizerInfo> equalizer;  // the record referenced at offset 4 (code 101)

    uint8_t u8(int offset) const { return data[offset - 4]; }
    uint16_t u16(int offset) const { return read<uint16_t>(offset); }
    int16_t s16(int offset) const { return read<int16_t>(offset); }
    uint32_t u32(int offset) const { return read<uint32_t>(offset); }
    int32_t s32(int offset) const { return read<int32_t>(offset); }
    const std::string &text(int offset) const { return texts[(offset - 4) / 4]; }

    void set_u8(int offset, uint8_t v) { data[offset - 4] = v; }
    void set_u16(int offset, uint16_t v) { write(offset, v); }
    void set_s16(int offset, int16_t v) { write(offset, v); }
    void set_u32(int offset, uint32_t v) { write(offset, v); }
    void set_s32(int offset, int32_t v) { write(offset, v); }
    void set_text(int offset, std::string v) { texts[(offset - 4) / 4] = std::move(v); }

private:
    template <typename T>
    T read(int offset) const
    {
        T v;
        std::memcpy(&v, data + (offset - 4), sizeof v);
        return v;
    }
    template <typename T>
    void write(int offset, T v)
    {
        std::memcpy(data + (offset - 4), &v, sizeof v);
    }
};

// The event that carries a notification to the notification target.
class XA_NotificationEvent : public QEvent {
public:
    explicit XA_NotificationEvent(XA_Message message);
    static QEvent::Type eventType();
    const XA_Message &message() const { return message_; }

private:
    XA_Message message_;
};

// Command codes (the second argument of control_message_send_*).
enum XA_Command : int {
    XA_MSG_COMMAND_EXIT = 1,
    XA_MSG_COMMAND_PING = 2,
    XA_MSG_COMMAND_PLAY = 3,
    XA_MSG_COMMAND_PAUSE = 4,
    XA_MSG_COMMAND_STOP = 5,
    XA_MSG_COMMAND_INPUT_SEEK = 6,
    XA_MSG_COMMAND_INPUT_OPEN = 7,
    XA_MSG_COMMAND_INPUT_CLOSE = 8,
    XA_MSG_COMMAND_INPUT_SEND_MESSAGE = 9,
    XA_MSG_COMMAND_INPUT_ADD_FILTER = 10,
    XA_MSG_COMMAND_INPUT_REMOVE_FILTER = 11,
    XA_MSG_COMMAND_INPUT_FILTER_LIST = 12,
    XA_MSG_COMMAND_INPUT_MODULE_REGISTER = 13,
    XA_MSG_COMMAND_INPUT_MODULE_QUERY = 14,
    XA_MSG_COMMAND_INPUT_MODULES_LIST = 15,
    XA_MSG_COMMAND_OUTPUT_OPEN = 16,
    XA_MSG_COMMAND_OUTPUT_CLOSE = 17,
    XA_MSG_COMMAND_OUTPUT_SEND_MESSAGE = 18,
    XA_MSG_COMMAND_OUTPUT_MUTE = 19,
    XA_MSG_COMMAND_OUTPUT_UNMUTE = 20,
    XA_MSG_COMMAND_OUTPUT_RESET = 21,
    XA_MSG_COMMAND_OUTPUT_DRAIN = 22,
    XA_MSG_COMMAND_OUTPUT_ADD_FILTER = 23,
    XA_MSG_COMMAND_OUTPUT_REMOVE_FILTER = 24,
    XA_MSG_COMMAND_OUTPUT_FILTER_LIST = 25,
    XA_MSG_COMMAND_OUTPUT_MODULE_REGISTER = 26,
    XA_MSG_COMMAND_OUTPUT_MODULE_QUERY = 27,
    XA_MSG_COMMAND_OUTPUT_MODULES_LIST = 28,
    XA_MSG_SET_PLAYER_MODE = 29,
    XA_MSG_GET_PLAYER_MODE = 30,
    XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER = 31,
    XA_MSG_GET_PLAYER_ENVIRONMENT_INTEGER = 32,
    XA_MSG_SET_PLAYER_ENVIRONMENT_STRING = 33,
    XA_MSG_GET_PLAYER_ENVIRONMENT_STRING = 34,
    XA_MSG_UNSET_PLAYER_ENVIRONMENT = 35,
    XA_MSG_SET_INPUT_NAME = 36,
    XA_MSG_GET_INPUT_NAME = 37,
    XA_MSG_SET_INPUT_MODULE = 38,
    XA_MSG_GET_INPUT_MODULE = 39,
    XA_MSG_SET_INPUT_POSITION_RANGE = 40,
    XA_MSG_GET_INPUT_POSITION_RANGE = 41,
    XA_MSG_SET_INPUT_TIMECODE_GRANULARITY = 42,
    XA_MSG_GET_INPUT_TIMECODE_GRANULARITY = 43,
    XA_MSG_SET_OUTPUT_NAME = 44,
    XA_MSG_GET_OUTPUT_NAME = 45,
    XA_MSG_SET_OUTPUT_MODULE = 46,
    XA_MSG_GET_OUTPUT_MODULE = 47,
    XA_MSG_SET_OUTPUT_VOLUME = 48,
    XA_MSG_GET_OUTPUT_VOLUME = 49,
    XA_MSG_SET_OUTPUT_CHANNELS = 50,
    XA_MSG_GET_OUTPUT_CHANNELS = 51,
    XA_MSG_SET_OUTPUT_PORTS = 52,
    XA_MSG_GET_OUTPUT_PORTS = 53,
    XA_MSG_SET_CODEC_QUALITY = 54,
    XA_MSG_GET_CODEC_QUALITY = 55,
    XA_MSG_SET_CODEC_EQUALIZER = 58,
    XA_MSG_GET_CODEC_EQUALIZER = 59,
    XA_MSG_SET_NOTIFICATION_MASK = 60,
    XA_MSG_GET_NOTIFICATION_MASK = 61,
    XA_MSG_SET_DEBUG_LEVEL = 62,
    XA_MSG_GET_DEBUG_LEVEL = 63,
};

// Notification codes (XA_Message::code).
enum XA_Notification : int {
    XA_MSG_NOTIFY_READY = 64,
    XA_MSG_NOTIFY_ACK = 65,
    XA_MSG_NOTIFY_NACK = 66,
    XA_MSG_NOTIFY_PONG = 67,
    XA_MSG_NOTIFY_EXITED = 68,
    XA_MSG_NOTIFY_PLAYER_STATE = 69,
    XA_MSG_NOTIFY_PLAYER_MODE = 70,
    XA_MSG_NOTIFY_PLAYER_ENVIRONMENT_INTEGER = 71,
    XA_MSG_NOTIFY_PLAYER_ENVIRONMENT_STRING = 72,
    XA_MSG_NOTIFY_INPUT_STATE = 73,
    XA_MSG_NOTIFY_INPUT_NAME = 74,
    XA_MSG_NOTIFY_INPUT_CAPS = 75,
    XA_MSG_NOTIFY_INPUT_POSITION = 76,
    XA_MSG_NOTIFY_INPUT_POSITION_RANGE = 77,
    XA_MSG_NOTIFY_INPUT_TIMECODE = 78,
    XA_MSG_NOTIFY_INPUT_TIMECODE_GRANULARITY = 79,
    XA_MSG_NOTIFY_INPUT_DURATION = 80,
    XA_MSG_NOTIFY_INPUT_STREAM_INFO = 81,
    XA_MSG_NOTIFY_INPUT_MODULE = 82,
    XA_MSG_NOTIFY_INPUT_MODULE_INFO = 83,
    XA_MSG_NOTIFY_INPUT_DEVICE_INFO = 84,
    XA_MSG_NOTIFY_INPUT_FILTER_INFO = 85,
    XA_MSG_NOTIFY_OUTPUT_STATE = 86,
    XA_MSG_NOTIFY_OUTPUT_NAME = 87,
    XA_MSG_NOTIFY_OUTPUT_CAPS = 88,
    XA_MSG_NOTIFY_OUTPUT_VOLUME = 89,
    XA_MSG_NOTIFY_OUTPUT_BALANCE = 90,
    XA_MSG_NOTIFY_OUTPUT_PCM_LEVEL = 91,
    XA_MSG_NOTIFY_OUTPUT_MASTER_LEVEL = 92,
    XA_MSG_NOTIFY_OUTPUT_CHANNELS = 93,
    XA_MSG_NOTIFY_OUTPUT_PORTS = 94,
    XA_MSG_NOTIFY_OUTPUT_MODULE = 96,
    XA_MSG_NOTIFY_OUTPUT_MODULE_INFO = 97,
    XA_MSG_NOTIFY_OUTPUT_DEVICE_INFO = 98,
    XA_MSG_NOTIFY_OUTPUT_FILTER_INFO = 99,
    XA_MSG_NOTIFY_CODEC_QUALITY = 100,
    XA_MSG_NOTIFY_CODEC_EQUALIZER = 101,
    XA_MSG_NOTIFY_NOTIFICATION_MASK = 102,
    XA_MSG_NOTIFY_DEBUG_LEVEL = 103,
    XA_MSG_NOTIFY_PROGRESS = 104,
    XA_MSG_NOTIFY_DEBUG = 105,
    XA_MSG_NOTIFY_ERROR = 106,
    XA_MSG_NOTIFY_INPUT_STREAM_TITLE = 107,  // the stream's current title (ICY StreamTitle), as a text
};

// Values carried by the notifications.
enum : int {
    XA_PLAYER_STATE_STOPPED = 0,
    XA_PLAYER_STATE_PLAYING = 1,
    XA_PLAYER_STATE_PAUSED = 2,
    XA_PLAYER_STATE_EOF = 3,

    XA_INPUT_STATE_OPEN = 0,
    XA_INPUT_STATE_CLOSED = 1,

    XA_OUTPUT_STATE_CLOSED = 0,
    XA_OUTPUT_STATE_OPEN = 1,

    XA_STREAM_MODE_STEREO = 0,
    XA_STREAM_MODE_JOINT_STEREO = 1,
    XA_STREAM_MODE_DUAL_CHANNEL = 2,
    XA_STREAM_MODE_MONO = 3,

    XA_OUTPUT_CHANNELS_STEREO = 0,
    XA_OUTPUT_CHANNELS_MONO_LEFT = 1,
    XA_OUTPUT_CHANNELS_MONO_RIGHT = 2,
    XA_OUTPUT_CHANNELS_MONO_MIX = 3,

    XA_OUTPUT_PORT_LINE = 1,
    XA_OUTPUT_PORT_SPEAKER = 2,
    XA_OUTPUT_PORT_HEADPHONE = 4,

    XA_CODEC_QUALITY_FULL = 0,     // the stream's own sample rate
    XA_CODEC_QUALITY_HALF = 1,     // half the sample rate
    XA_CODEC_QUALITY_QUARTER = 2,  // a quarter of the sample rate

    XA_PLAYER_MODE_OUTPUT_AUTO_CLOSE_ON_STOP = 1,
    XA_PLAYER_MODE_OUTPUT_AUTO_CLOSE_ON_PAUSE = 2,
    XA_PLAYER_MODE_OUTPUT_AUTO_CLOSE_ON_EOF = 4,

    XA_INPUT_CAPS_SEEKABLE = 1,
    XA_INPUT_CAPS_STREAM = 2,  // a network stream

    XA_PRIORITY_LOWEST = 0,
    XA_PRIORITY_LOW = 1,
    XA_PRIORITY_NORMAL = 2,
    XA_PRIORITY_HIGH = 3,
    XA_PRIORITY_HIGHEST = 4,

    XA_INPUT_MODULE_FILE = 0,
    XA_INPUT_MODULE_HTTP = 1,
};

// Error codes: 0 success, negative for failures (xaudio_error_string explains each).
enum XA_Error : int {
    XA_SUCCESS = 0,
    XA_FAILURE = -1,
    XA_ERROR_OUT_OF_MEMORY = -2,
    XA_ERROR_INVALID_PARAMETERS = -3,
    XA_ERROR_NOT_SUPPORTED = -4,
    XA_ERROR_NO_INPUT = -5,
    XA_ERROR_INPUT_NOT_FOUND = -6,
    XA_ERROR_INPUT_PERMISSION_DENIED = -7,
    XA_ERROR_INPUT_IS_DIRECTORY = -8,
    XA_ERROR_INPUT_CANNOT_READ = -9,
    XA_ERROR_INPUT_NOT_MPEG_AUDIO = -10,
    XA_ERROR_INPUT_NOT_SEEKABLE = -11,
    XA_ERROR_NETWORK_HOST_NOT_FOUND = -12,
    XA_ERROR_NETWORK_CONNECT_FAILED = -13,
    XA_ERROR_NETWORK_HTTP_STATUS = -14,
    XA_ERROR_NETWORK_TIMEOUT = -15,
    XA_ERROR_NETWORK_TRANSFER = -16,
    XA_ERROR_OUTPUT_OPEN_FAILED = -17,
    XA_ERROR_OUTPUT_FORMAT = -18,
    XA_ERROR_OUTPUT_WRITE = -19,
    XA_ERROR_DECODER = -20,
    XA_ERROR_NO_SUCH_MODULE = -21,
    XA_ERROR_NO_SUCH_ENVIRONMENT = -22,
    XA_ERROR_INVALID_STATE = -23,
};

// The API selector understood by xaudio_get_api_version.
enum { XA_API_ID_SYNC = 1, XA_API_ID_ASYNC = 2 };

// Version word: major in bits 16..23, minor in bits 8..15. This library answers 3.2.
int xaudio_get_api_version(int api_id);

// Creates a player and its engine thread. notification_target receives XA_NotificationEvent events; it must
// outlive the player. Returns XA_SUCCESS and fills *player, or a negative error code.
int player_new(XA_Player **player, QObject *notification_target);
// Ends the engine thread and frees the player. A null player is ignored.
void player_delete(XA_Player *player);
// Scheduling priority of the engine thread, XA_PRIORITY_LOWEST..XA_PRIORITY_HIGHEST. Reading answers what the
// system actually granted.
int player_set_priority(XA_Player *player, int priority);
int player_get_priority(XA_Player *player);

// A fixed English sentence for an error code; never null.
const char *xaudio_error_string(int code);

// Converts an event received by the notification target into a message record. Returns XA_SUCCESS when the
// event is a notification of this library, XA_FAILURE (and leaves *message untouched) for any other event.
int control_event_to_message(XA_Player *player, XA_Message *message, const QEvent *event);

// Commands. Each returns XA_SUCCESS once the command is queued, or XA_ERROR_INVALID_PARAMETERS for a null
// player; success or failure of the command itself arrives later as an Ack or Nack notification.
// Texts are copied; so are the data blocks of the P and IPI forms (the equalizer record for
// XA_MSG_SET_CODEC_EQUALIZER, `size` bytes for the send-message commands).
int control_message_send_N(XA_Player *player, int code);
int control_message_send_I(XA_Player *player, int code, int32_t value);
int control_message_send_II(XA_Player *player, int code, int32_t value1, int32_t value2);
int control_message_send_III(XA_Player *player, int code, int32_t value1, int32_t value2, int32_t value3);
int control_message_send_S(XA_Player *player, int code, const char *text);
int control_message_send_SS(XA_Player *player, int code, const char *text1, const char *text2);
int control_message_send_SI(XA_Player *player, int code, const char *text, int32_t value);
int control_message_send_IPI(XA_Player *player, int code, int32_t type, const void *data, int32_t size);
int control_message_send_P(XA_Player *player, int code, const void *data);
