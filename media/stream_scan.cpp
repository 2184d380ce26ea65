#include "media/stream_scan.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>

#include "media/libav.h"

namespace media {

namespace {

using Clock = std::chrono::steady_clock;

// What the callbacks of one open file see through the context's opaque.
struct OpenFile {
    std::string url;
    decltype(AVFormatContext::io_open) defaultOpen = nullptr;
    Clock::time_point deadline = Clock::time_point::max();
    const std::atomic<bool>* stop = nullptr;
};

// Only the file itself may be opened: a playlist or a reference to another
// file is refused.
int OpenOnlyItself(AVFormatContext* ctx, AVIOContext** pb, const char* url, int flags,
                   AVDictionary** options) {
    const auto* file = static_cast<const OpenFile*>(ctx->opaque);
    if (file->url != url) return AVERROR(EPERM);
    return file->defaultOpen(ctx, pb, url, flags, options);
}

int Interrupted(void* opaque) {
    const auto* file = static_cast<const OpenFile*>(opaque);
    if (file->stop != nullptr && file->stop->load()) return 1;
    return Clock::now() >= file->deadline ? 1 : 0;
}

// The errors that the file system tells before libavformat is asked.
ProbeError FileError(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return ErrorOfErrno(errno);
    if (S_ISDIR(st.st_mode)) return ProbeError::Folder;
    if (S_ISREG(st.st_mode) && st.st_size == 0) return ProbeError::Empty;
    return ProbeError::None;
}

// Opens `file.url`; null when libavformat cannot. The caller closes it.
AVFormatContext* Open(const Libav& av, OpenFile& file) {
    AVFormatContext* ctx = av.alloc_context();
    if (ctx == nullptr) return nullptr;
    file.defaultOpen = ctx->io_open;
    ctx->opaque = &file;
    ctx->io_open = OpenOnlyItself;
    ctx->interrupt_callback = {Interrupted, &file};
    ctx->probesize = kProbeBytes;
    ctx->max_analyze_duration = kAnalyzeMicroseconds;
    if (av.open_input(&ctx, file.url.c_str(), nullptr, nullptr) < 0) return nullptr;
    return ctx;
}

int64_t Microseconds(int64_t ts, AVRational base) {
    if (ts == AV_NOPTS_VALUE || base.den <= 0) return INT64_MIN;
    // A long double holds 64 bits exactly; the result is rounded down.
    const long double us = static_cast<long double>(ts) * base.num * AV_TIME_BASE / base.den;
    if (us >= static_cast<long double>(INT64_MAX)) return INT64_MAX;
    if (us <= static_cast<long double>(INT64_MIN + 1)) return INT64_MIN + 1;
    return static_cast<int64_t>(std::floor(us));
}

StreamKind Kind(const AVStream* st) {
    switch (st->codecpar->codec_type) {
        case AVMEDIA_TYPE_VIDEO:
            return StreamKind::Video;
        case AVMEDIA_TYPE_AUDIO:
            return StreamKind::Audio;
        case AVMEDIA_TYPE_SUBTITLE:
            return StreamKind::Subtitle;
        case AVMEDIA_TYPE_ATTACHMENT:
            return StreamKind::Attachment;
        case AVMEDIA_TYPE_DATA:
            return StreamKind::Data;
        default:
            return StreamKind::Other;
    }
}

std::vector<StreamFacts> Streams(const Libav& av, const AVFormatContext* ctx) {
    std::vector<StreamFacts> list;
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        const AVStream* st = ctx->streams[i];
        const AVCodecParameters* par = st->codecpar;
        StreamFacts s;
        s.index = static_cast<int>(i);
        s.kind = Kind(st);
        s.codec = av.codec_name(par->codec_id);
        if (const AVDictionaryEntry* e = av.dict_get(st->metadata, "language", nullptr, 0))
            s.language = e->value;
        s.cover = (st->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0;
        s.channels = par->ch_layout.nb_channels;
        s.sampleRate = par->sample_rate;
        s.extradataBytes = par->extradata_size;
        list.push_back(s);
    }
    return list;
}

bool NeedsStreamInfo(const AVFormatContext* ctx) {
    if (ctx->duration <= 0 || ctx->nb_streams == 0 || (ctx->ctx_flags & AVFMTCTX_NOHEADER))
        return true;
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        const AVCodecParameters* par = ctx->streams[i]->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_AUDIO &&
            (par->sample_rate <= 0 || par->ch_layout.nb_channels <= 0))
            return true;
    }
    return false;
}

}  // namespace

StreamList ListStreams(const std::string& path) {
    StreamList list;
    list.error = FileError(path);
    if (!list.Ok()) return list;
    const Libav* av = LoadLibav();
    if (av == nullptr) {
        list.error = ProbeError::NoLibrary;
        return list;
    }
    OpenFile file;
    // The file protocol alone: a name such as "concat:a|b" is a file name.
    file.url = "file:" + path;
    file.deadline = Clock::now() + kProbeDeadline;
    AVFormatContext* ctx = Open(*av, file);
    if (ctx == nullptr) {
        list.error = Clock::now() >= file.deadline ? ProbeError::TimedOut : ProbeError::NotAFilm;
        return list;
    }
    if (NeedsStreamInfo(ctx) && av->find_stream_info(ctx, nullptr) < 0)
        list.error = ProbeError::NotAFilm;
    if (Clock::now() >= file.deadline) list.error = ProbeError::TimedOut;
    if (list.Ok()) {
        list.streams = Streams(*av, ctx);
        list.chapters = static_cast<int>(ctx->nb_chapters);
        list.durationMicroseconds = ctx->duration > 0 ? ctx->duration : 0;
        list.startMicroseconds = ctx->start_time != AV_NOPTS_VALUE ? ctx->start_time : 0;
        if (list.durationMicroseconds == 0) list.error = ProbeError::NoDuration;
    }
    av->close_input(&ctx);
    return list;
}

PacketList ScanPackets(const std::string& path, const std::atomic<bool>& stop) {
    PacketList list;
    const Libav* av = LoadLibav();
    if (av == nullptr || FileError(path) != ProbeError::None) return list;
    OpenFile file;
    file.url = "file:" + path;
    file.stop = &stop;
    AVFormatContext* ctx = Open(*av, file);
    if (ctx == nullptr) return list;
    AVPacket* packet = av->packet_alloc();
    if (packet != nullptr && (!NeedsStreamInfo(ctx) || av->find_stream_info(ctx, nullptr) >= 0)) {
        list.streams = Streams(*av, ctx);
        list.startMicroseconds = ctx->start_time != AV_NOPTS_VALUE ? ctx->start_time : 0;
        int result = 0;
        while ((result = av->read_frame(ctx, packet)) >= 0) {
            const AVRational base = ctx->streams[packet->stream_index]->time_base;
            list.packets.push_back({packet->stream_index, packet->size,
                                    Microseconds(packet->dts, base),
                                    Microseconds(packet->pts, base), packet->pos,
                                    (packet->flags & AV_PKT_FLAG_KEY) != 0});
            av->packet_unref(packet);
        }
        list.ok = result == AVERROR_EOF && !stop.load();
    }
    av->packet_free(&packet);
    av->close_input(&ctx);
    return list;
}

}  // namespace media
