#include "media/film_probe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "media/libav.h"

namespace media {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kBufferBytes = 64 * 1024;
// A header claiming more than 68 years is damaged, not a film.
constexpr int64_t kMaxSeconds = INT32_MAX;

// Where the bytes come from: memory, a regular file read at positions, or a
// pipe or device read in order, each read waiting no longer than the
// deadline.
struct Source {
    const unsigned char* data = nullptr;
    int fd = -1;
    bool stream = false;  // a pipe or device: no seeking, poll before reading
    int64_t size = -1;    // -1 for a stream
    int64_t pos = 0;
    int64_t bytesRead = 0;
    Clock::time_point deadline;
    bool timedOut = false;
    bool readFailed = false;

    bool Late() {
        if (!timedOut && Clock::now() >= deadline) timedOut = true;
        return timedOut;
    }
};

// False on the deadline or an error, each noted in `s`.
bool WaitReadable(Source& s) {
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(s.deadline - Clock::now());
        if (left.count() <= 0) {
            s.timedOut = true;
            return false;
        }
        pollfd p{s.fd, POLLIN, 0};
        const int n = poll(&p, 1, static_cast<int>(std::min<int64_t>(left.count() + 1, INT_MAX)));
        if (n > 0) return true;
        if (n < 0 && errno != EINTR) {
            s.readFailed = true;
            return false;
        }
    }
}

int Read(void* opaque, uint8_t* buf, int size) {
    Source& s = *static_cast<Source*>(opaque);
    if (s.Late()) return AVERROR_EXIT;
    int64_t n = 0;
    if (s.data != nullptr) {
        n = std::clamp<int64_t>(s.size - s.pos, 0, size);
        if (n > 0) std::memcpy(buf, s.data + s.pos, static_cast<std::size_t>(n));
    } else {
        do {
            if (s.stream && !WaitReadable(s)) return s.timedOut ? AVERROR_EXIT : AVERROR(EIO);
            n = s.stream ? read(s.fd, buf, static_cast<std::size_t>(size))
                         : pread(s.fd, buf, static_cast<std::size_t>(size), s.pos);
        } while (n < 0 && (errno == EINTR || errno == EAGAIN));
        if (n < 0) {
            s.readFailed = true;
            return AVERROR(EIO);
        }
    }
    if (n == 0) return AVERROR_EOF;
    s.pos += n;
    s.bytesRead += n;
    return static_cast<int>(n);
}

int64_t Seek(void* opaque, int64_t offset, int whence) {
    Source& s = *static_cast<Source*>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) return s.size;
    int64_t base = -1;
    if (whence == SEEK_SET) base = 0;
    if (whence == SEEK_CUR) base = s.pos;
    if (whence == SEEK_END) base = s.size;
    int64_t to = 0;
    if (base < 0 || __builtin_add_overflow(base, offset, &to) || to < 0) return AVERROR(EINVAL);
    s.pos = to;
    return to;
}

int Interrupted(void* opaque) {
    return static_cast<Source*>(opaque)->Late() ? 1 : 0;
}

// Playlists and references to other files (HLS, DASH, concat, ...) must not
// make the probe open anything but the one file it was given.
int RefuseOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
    return AVERROR(EPERM);
}

bool IsPictureFormat(std::string_view name) {
    return name == "image2" || name.ends_with("_pipe");
}

bool Known(AVRational r) {
    return r.num > 0 && r.den > 0;
}

// The first video stream that is not a cover picture, or null.
const AVStream* FirstVideo(const AVFormatContext* ctx) {
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        const AVStream* st = ctx->streams[i];
        if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(st->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return st;
    }
    return nullptr;
}

bool HeadersTellAll(const AVFormatContext* ctx) {
    if (ctx->duration <= 0 || ctx->nb_streams == 0 || (ctx->ctx_flags & AVFMTCTX_NOHEADER))
        return false;
    const AVStream* video = FirstVideo(ctx);
    return video == nullptr || (video->codecpar->width > 0 && video->codecpar->height > 0 &&
                                (Known(video->avg_frame_rate) || Known(video->r_frame_rate)));
}

// What an opened container tells; reads on only when its headers do not tell
// it all.
ProbeError ReadFacts(const Libav& av, AVFormatContext* ctx, FilmFacts* facts) {
    if (IsPictureFormat(ctx->iformat->name)) return ProbeError::NotAFilm;
    bool estimated = false;
    if (!HeadersTellAll(ctx)) {
        if (av.find_stream_info(ctx, nullptr) < 0) return ProbeError::NotAFilm;
        // A guess from the file size and a bitrate read at the start: raw
        // streams, and containers written without their length.
        estimated = ctx->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
    }
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        const AVStream* st = ctx->streams[i];
        facts->hasAudio = facts->hasAudio || st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
    }
    if (const AVStream* video = FirstVideo(ctx)) {
        facts->hasVideo = true;
        facts->width = std::max(video->codecpar->width, 0);
        facts->height = std::max(video->codecpar->height, 0);
        const AVRational rate =
            Known(video->avg_frame_rate) ? video->avg_frame_rate : video->r_frame_rate;
        if (Known(rate)) facts->fps = av_q2d(rate);
    }
    if (!facts->hasVideo && !facts->hasAudio) return ProbeError::NotAFilm;
    const int64_t d = ctx->duration;  // microseconds; AV_NOPTS_VALUE is negative
    if (estimated || d <= 0) return ProbeError::NoDuration;
    // Rounded up in whole numbers: 10 000 000 µs are 10 s, 10 000 001 µs 11 s.
    facts->durationSeconds = d / AV_TIME_BASE + (d % AV_TIME_BASE != 0 ? 1 : 0);
    if (facts->durationSeconds > kMaxSeconds) return ProbeError::NoDuration;
    return ProbeError::None;
}

ProbeResult Probe(Source& s) {
    ProbeResult r;
    const Libav* loaded = LoadLibav();
    if (loaded == nullptr) {
        r.error = ProbeError::NoLibrary;
        return r;
    }
    const Libav& av = *loaded;
    // Loading libavformat from a cold disc cache may itself take seconds:
    // only the reading counts.
    s.deadline = Clock::now() + kProbeDeadline;
    auto* buffer = static_cast<unsigned char*>(av.malloc(kBufferBytes));
    AVIOContext* pb = buffer == nullptr ? nullptr
                                        : av.avio_alloc_context(buffer, kBufferBytes, 0, &s, Read,
                                                                nullptr, s.stream ? nullptr : Seek);
    AVFormatContext* ctx = pb == nullptr ? nullptr : av.alloc_context();
    if (ctx == nullptr) {
        r.error = ProbeError::NotReadable;  // out of memory
    } else {
        ctx->pb = pb;
        ctx->flags |= AVFMT_FLAG_CUSTOM_IO;
        ctx->probesize = kProbeBytes;
        ctx->max_analyze_duration = kAnalyzeMicroseconds;
        ctx->interrupt_callback = {Interrupted, &s};
        ctx->io_open = RefuseOpen;
        // Without a name, only the content decides the format: an extension
        // would let a text file pass for a film.
        if (av.open_input(&ctx, "", nullptr, nullptr) < 0) {
            r.error = ProbeError::NotAFilm;  // ctx is freed
        } else {
            r.error = ReadFacts(av, ctx, &r.facts);
            av.close_input(&ctx);
        }
        // Whatever libavformat made of it, a read that failed or hung says why.
        if (s.readFailed) r.error = ProbeError::NotReadable;
        if (s.timedOut) r.error = ProbeError::TimedOut;
        if (r.error == ProbeError::NotAFilm && s.bytesRead == 0) r.error = ProbeError::Empty;
    }
    if (pb != nullptr) {
        av.freep(&pb->buffer);  // libavformat may have replaced it
        av.avio_context_free(&pb);
    } else {
        av.free(buffer);
    }
    if (!r.Ok()) r.facts = {};
    return r;
}

}  // namespace

ProbeError ErrorOfErrno(int e) {
    return e == ENOENT || e == ENOTDIR || e == ENAMETOOLONG ? ProbeError::Missing
           : e == EISDIR                                    ? ProbeError::Folder
           : e == EACCES || e == EPERM                      ? ProbeError::NoPermission
                                                            : ProbeError::NotReadable;
}

ProbeResult ProbeFilm(const std::string& path) {
    Source s;
    ProbeResult r;
    // Not blocking: a pipe without a writer would hang the open itself.
    s.fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (s.fd < 0) {
        r.error = ErrorOfErrno(errno);
        return r;
    }
    struct stat st {};
    if (fstat(s.fd, &st) != 0) {
        r.error = ProbeError::NotReadable;
    } else if (S_ISDIR(st.st_mode)) {
        r.error = ProbeError::Folder;
    } else if (S_ISREG(st.st_mode) && st.st_size == 0) {
        r.error = ProbeError::Empty;
    } else {
        s.stream = !S_ISREG(st.st_mode);
        s.size = s.stream ? -1 : st.st_size;
        r = Probe(s);
    }
    close(s.fd);
    return r;
}

ProbeResult ProbeFilmBytes(const unsigned char* data, std::size_t size) {
    ProbeResult r;
    if (size == 0) {
        r.error = ProbeError::Empty;
        return r;
    }
    Source s;
    s.data = data;
    s.size = static_cast<int64_t>(size);
    return Probe(s);
}

std::string PrintableName(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const auto next = i + 1 < name.size() ? static_cast<unsigned char>(name[i + 1]) : 0;
        char escaped[8] = {};
        if (c == '\n' || c == '\t' || c == '\r') {
            out += c == '\n' ? "\\n" : c == '\t' ? "\\t" : "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            // U+0080 to U+009F: control characters that terminals obey too.
            std::snprintf(escaped, sizeof escaped, "\\u%04x", next);
            out += escaped;
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string ErrorSentence(ProbeError error, const std::string& fileName) {
    const std::string name = PrintableName(fileName);
    const char* what = "read";
    switch (error) {
        case ProbeError::None:
            break;
        case ProbeError::Missing:
            what = "no such file";
            break;
        case ProbeError::Folder:
            what = "a folder, not a file";
            break;
        case ProbeError::NotReadable:
            what = "cannot be read";
            break;
        case ProbeError::NoPermission:
            what = "permission denied";
            break;
        case ProbeError::Empty:
            what = "the file is empty";
            break;
        case ProbeError::NotAFilm:
            what = "not a film or sound file";
            break;
        case ProbeError::NoDuration:
            what = "tells no duration (a raw stream or an unfinished recording)";
            break;
        case ProbeError::NoLibrary:
            return name + ": cannot be read without FFmpeg's " + LibavformatSoname() +
                   ", which is not installed";
        case ProbeError::TimedOut:
            return name + ": reading took longer than " +
                   std::to_string(kProbeDeadline.count() / 1000) + " seconds and was given up";
    }
    return name + ": " + what;
}

}  // namespace media
