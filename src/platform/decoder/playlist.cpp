#include "playlist.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace xa_engine {

namespace {
std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

bool ends_with(const std::string &s, const std::string &suffix)
{
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// "scheme://..." of any scheme.
bool has_scheme(const std::string &s)
{
    const size_t colon = s.find("://");
    if (colon == std::string::npos || colon == 0)
        return false;
    return std::all_of(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(colon),
                       [](unsigned char c) { return std::isalnum(c) || c == '+' || c == '-' || c == '.'; });
}

bool is_web(const std::string &s)
{
    const std::string l = lower(s.substr(0, 8));
    return l.rfind("http://", 0) == 0 || l.rfind("https://", 0) == 0;
}

// The text without a byte order mark and leading white space.
std::string_view content_start(const uint8_t *data, size_t size)
{
    std::string_view text(reinterpret_cast<const char *>(data), size);
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    return text;
}

bool starts_nocase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

// A line holding control characters is binary data, not a location.
bool has_control_characters(const std::string &s)
{
    return std::any_of(s.begin(), s.end(), [](unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7F; });
}

std::string trim(std::string s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
        ++i;
    return s.substr(i);
}

std::string resolve(const std::string &entry, const std::string &base)
{
    if (has_scheme(entry))
        return entry;
    if (has_scheme(base)) {
        const QUrl url = QUrl(QString::fromStdString(base)).resolved(QUrl(QString::fromStdString(entry)));
        return url.toString(QUrl::FullyEncoded).toStdString();
    }
    const QString path = QString::fromStdString(entry);
    if (QDir::isAbsolutePath(path))
        return entry;
    return QFileInfo(QString::fromStdString(base)).dir().filePath(path).toStdString();
}
}  // namespace

bool playlist_by_name(const std::string &name)
{
    std::string path = lower(name);
    if (is_web(path))
        path = path.substr(0, path.find_first_of("?#"));
    return ends_with(path, ".m3u") || ends_with(path, ".m3u8") || ends_with(path, ".pls");
}

bool playlist_by_type(const std::string &content_type)
{
    static const char *const types[] = {
        "audio/x-mpegurl", "audio/mpegurl", "application/x-mpegurl", "application/vnd.apple.mpegurl",
        "audio/x-scpls",   "audio/scpls",   "application/pls+xml",   "application/pls"};
    const std::string t = lower(content_type);
    return std::any_of(std::begin(types), std::end(types), [&](const char *x) { return t == x; });
}

bool playlist_by_content(const uint8_t *data, size_t size)
{
    const std::string_view text = content_start(data, size);
    return starts_nocase(text, "#extm3u") || starts_nocase(text, "[playlist]") || starts_nocase(text, "http://") ||
        starts_nocase(text, "https://");
}

std::vector<std::string> playlist_entries(const std::string &text, const std::string &base)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(trim(text.substr(pos, end - pos)));
        pos = end + 1;
    }
    if (!lines.empty() && lines.front().rfind("\xEF\xBB\xBF", 0) == 0)
        lines.front().erase(0, 3);

    std::vector<std::string> entries;
    const bool pls =
        std::any_of(lines.begin(), lines.end(), [](const std::string &l) { return starts_nocase(l, "[playlist]"); });
    if (pls) {
        // FileN=location, in the order of N (the lines may come in any order).
        std::map<long, std::string> files;
        for (const std::string &l : lines) {
            if (!starts_nocase(l, "file"))
                continue;
            const size_t eq = l.find('=');
            if (eq == std::string::npos)
                continue;
            char *end = nullptr;
            const std::string number = l.substr(4, eq - 4);
            const long n = std::strtol(number.c_str(), &end, 10);
            if (number.empty() || *end != '\0')
                continue;
            const std::string value = trim(l.substr(eq + 1));
            if (!value.empty() && !has_control_characters(value))
                files.emplace(n, value);
        }
        for (const auto &[n, value] : files)
            entries.push_back(resolve(value, base));
    } else {
        for (const std::string &l : lines)
            if (!l.empty() && l.front() != '#' && !has_control_characters(l))
                entries.push_back(resolve(l, base));
    }
    // A playlist from the network names only network locations: a server has no business opening local files.
    if (is_web(base))
        entries.erase(std::remove_if(entries.begin(), entries.end(), [](const std::string &e) { return !is_web(e); }),
                      entries.end());
    return entries;
}

std::string not_mpeg_audio(const std::string &content_type, const uint8_t *data, size_t size)
{
    // What starts like MPEG audio (a tag, or a frame header with a valid layer) is given its chance whatever
    // the server calls it.
    if ((size >= 3 && std::memcmp(data, "ID3", 3) == 0) ||
        (size >= 2 && data[0] == 0xFF && (data[1] & 0xE0) == 0xE0 && (data[1] & 0x06) != 0))
        return {};
    const std::string t = lower(content_type);
    if (t == "text/html" || t == "application/xhtml+xml")
        return "an HTML page";
    if (t == "audio/ogg" || t == "application/ogg" || t == "audio/opus" || t == "audio/vorbis")
        return "Ogg";
    if (t == "audio/aac" || t == "audio/aacp" || t == "audio/x-aac" || t == "audio/mp4" || t == "audio/x-m4a")
        return "AAC";
    if (t == "audio/flac" || t == "audio/x-flac")
        return "FLAC";
    if (size >= 4 && std::memcmp(data, "OggS", 4) == 0)
        return "Ogg";
    if (size >= 4 && std::memcmp(data, "fLaC", 4) == 0)
        return "FLAC";
    if (size >= 8 && std::memcmp(data + 4, "ftyp", 4) == 0)
        return "MP4";
    // An ADTS header: the MPEG sync word with the layer bits 00, which MPEG audio never uses.
    if (size >= 2 && data[0] == 0xFF && (data[1] & 0xF6) == 0xF0)
        return "AAC";
    const std::string_view text = content_start(data, size);
    if (starts_nocase(text, "<!doctype") || starts_nocase(text, "<html") || starts_nocase(text, "<?xml") ||
        starts_nocase(text, "<head") || starts_nocase(text, "<body"))
        return "an HTML page";
    return {};
}

size_t id3v2_tag_bytes(const uint8_t *data, size_t size)
{
    // "ID3", version, revision, flags, then the size in four bytes of 7 bits each.
    if (size < 10 || std::memcmp(data, "ID3", 3) != 0 || data[3] == 0xFF || data[4] == 0xFF)
        return 0;
    size_t bytes = 0;
    for (int i = 6; i < 10; ++i) {
        if (data[i] & 0x80)
            return 0;
        bytes = bytes << 7 | data[i];
    }
    const bool footer = data[3] == 4 && (data[5] & 0x10);
    return 10 + bytes + (footer ? 10 : 0);
}

}  // namespace xa_engine
