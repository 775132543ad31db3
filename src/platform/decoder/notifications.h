#pragma once
// Builds notification records and posts them to the notification target, in order, without dropping any.

#include "xaudio.h"

#include <cstdint>
#include <string>

class QObject;

namespace xa_engine {

class Notifier {
public:
    explicit Notifier(QObject *target) : target_(target) { }

    void post(XA_Message message) const;

    void simple(int code) const;
    void ack(int command) const;
    void nack(int command, int error) const;
    void pong(uint32_t tag) const;
    // Notifications that carry one 8-bit value at offset 4 (states, channels, quality, levels...).
    void byte_at(int code, int offset, uint8_t value) const;
    void u32(int code, uint32_t value) const;
    void s16(int code, int16_t value) const;
    void text(int code, const std::string &value) const;
    void position(uint32_t offset, uint32_t range) const;
    void timecode(int64_t milliseconds) const;
    void stream_info(uint8_t level, uint8_t layer, uint16_t bitrate, uint16_t frequency, uint8_t mode) const;
    void volume(uint8_t master, uint8_t pcm, uint8_t balance) const;
    void module_info(int code, uint8_t id, uint8_t devices, const std::string &name,
                     const std::string &description) const;
    void environment_integer(const std::string &name, int32_t value) const;
    void environment_string(const std::string &name, const std::string &value) const;
    void equalizer(const XA_EqualizerInfo &info) const;
    void error(uint8_t source, int16_t code, const std::string &message) const;

private:
    QObject *target_;
};

// Sources named in error notifications.
enum : uint8_t { kSourceEngine = 0, kSourceInput = 1, kSourceOutput = 2, kSourceCodec = 3 };

}  // namespace xa_engine
