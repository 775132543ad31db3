#include "notifications.h"

#include <QCoreApplication>

#include <algorithm>
#include <memory>

namespace xa_engine {

void Notifier::post(XA_Message message) const
{
    // postEvent is thread-safe and keeps the posting order for one receiver.
    if (target_)
        QCoreApplication::postEvent(target_, new XA_NotificationEvent(std::move(message)));
}

namespace {
XA_Message make(int code)
{
    XA_Message m;
    m.code = code;
    return m;
}
}  // namespace

void Notifier::simple(int code) const { post(make(code)); }

void Notifier::ack(int command) const { byte_at(XA_MSG_NOTIFY_ACK, 4, static_cast<uint8_t>(command)); }

void Notifier::nack(int command, int error) const
{
    XA_Message m = make(XA_MSG_NOTIFY_NACK);
    m.set_u8(4, static_cast<uint8_t>(command));
    m.set_s16(6, static_cast<int16_t>(error));
    post(std::move(m));
}

void Notifier::pong(uint32_t tag) const { u32(XA_MSG_NOTIFY_PONG, tag); }

void Notifier::byte_at(int code, int offset, uint8_t value) const
{
    XA_Message m = make(code);
    m.set_u8(offset, value);
    post(std::move(m));
}

void Notifier::u32(int code, uint32_t value) const
{
    XA_Message m = make(code);
    m.set_u32(4, value);
    post(std::move(m));
}

void Notifier::s16(int code, int16_t value) const
{
    XA_Message m = make(code);
    m.set_s16(4, value);
    post(std::move(m));
}

void Notifier::text(int code, const std::string &value) const
{
    XA_Message m = make(code);
    m.set_text(4, value);
    post(std::move(m));
}

void Notifier::position(uint32_t offset, uint32_t range) const
{
    XA_Message m = make(XA_MSG_NOTIFY_INPUT_POSITION);
    m.set_u32(4, offset);
    m.set_u32(8, range);
    post(std::move(m));
}

void Notifier::timecode(int64_t milliseconds) const
{
    if (milliseconds < 0)
        milliseconds = 0;
    const int64_t seconds = milliseconds / 1000;
    XA_Message m = make(XA_MSG_NOTIFY_INPUT_TIMECODE);
    m.set_u8(4, static_cast<uint8_t>(std::min<int64_t>(seconds / 3600, 255)));
    m.set_u8(5, static_cast<uint8_t>(seconds / 60 % 60));
    m.set_u8(6, static_cast<uint8_t>(seconds % 60));
    m.set_u8(7, static_cast<uint8_t>(milliseconds % 1000 / 10));
    post(std::move(m));
}

void Notifier::stream_info(uint8_t level, uint8_t layer, uint16_t bitrate, uint16_t frequency, uint8_t mode) const
{
    XA_Message m = make(XA_MSG_NOTIFY_INPUT_STREAM_INFO);
    m.set_u8(4, level);
    m.set_u8(5, layer);
    m.set_u16(6, bitrate);
    m.set_u16(8, frequency);
    m.set_u8(10, mode);
    post(std::move(m));
}

void Notifier::volume(uint8_t master, uint8_t pcm, uint8_t balance) const
{
    XA_Message m = make(XA_MSG_NOTIFY_OUTPUT_VOLUME);
    m.set_u8(4, master);
    m.set_u8(5, pcm);
    m.set_u8(6, balance);
    post(m);
    m.code = XA_MSG_NOTIFY_OUTPUT_BALANCE;
    post(m);
    m.code = XA_MSG_NOTIFY_OUTPUT_PCM_LEVEL;
    post(m);
    m.code = XA_MSG_NOTIFY_OUTPUT_MASTER_LEVEL;
    post(std::move(m));
}

void Notifier::module_info(int code, uint8_t id, uint8_t devices, const std::string &name,
                           const std::string &description) const
{
    XA_Message m = make(code);
    m.set_u8(4, id);
    m.set_u8(5, devices);
    m.set_text(8, name);
    m.set_text(12, description);
    post(std::move(m));
}

void Notifier::environment_integer(const std::string &name, int32_t value) const
{
    XA_Message m = make(XA_MSG_NOTIFY_PLAYER_ENVIRONMENT_INTEGER);
    m.set_text(4, name);
    m.set_s32(8, value);
    post(std::move(m));
}

void Notifier::environment_string(const std::string &name, const std::string &value) const
{
    XA_Message m = make(XA_MSG_NOTIFY_PLAYER_ENVIRONMENT_STRING);
    m.set_text(4, name);
    m.set_text(8, value);
    post(std::move(m));
}

void Notifier::equalizer(const XA_EqualizerInfo &info) const
{
    XA_Message m = make(XA_MSG_NOTIFY_CODEC_EQUALIZER);
    m.equalizer = std::make_shared<const XA_EqualizerInfo>(info);
    post(std::move(m));
}

void Notifier::error(uint8_t source, int16_t code, const std::string &message) const
{
    XA_Message m = make(XA_MSG_NOTIFY_ERROR);
    m.set_u8(4, source);
    m.set_s16(6, code);
    m.set_text(8, message);
    post(std::move(m));
}

}  // namespace xa_engine
