#pragma once
// Playlists as radio stations publish their streams (.m3u, .m3u8, .pls): how to recognise one, and the
// locations it lists, in order. Also what a stream that is not MPEG audio looks like, so that it can be
// refused at once with a clear reason instead of being searched for frames forever.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace xa_engine {

// A playlist by its name (the path of a URL, before any query) or its media type.
bool playlist_by_name(const std::string &name);
bool playlist_by_type(const std::string &content_type);
// A playlist by its first bytes: "#EXTM3U", "[playlist]", or a first line that is a URL.
bool playlist_by_content(const uint8_t *data, size_t size);

// The entries of an M3U or PLS text in their order, each resolved against `base` (the playlist's URL or local
// path): relative entries of a URL become URLs, those of a local file become paths beside it. A playlist from
// the network keeps only its http and https entries.
std::vector<std::string> playlist_entries(const std::string &text, const std::string &base);

// What kind of other format `data` (a stream's first bytes) or `content_type` names, e.g. "Ogg" or "an HTML
// page"; empty when it may be MPEG audio.
std::string not_mpeg_audio(const std::string &content_type, const uint8_t *data, size_t size);

// The bytes of the ID3v2 tag `data` (a stream's first bytes) starts with, header and footer included; 0 when
// it starts with none.
size_t id3v2_tag_bytes(const uint8_t *data, size_t size);

}  // namespace xa_engine
