#include "media/libav.h"

#include <dlfcn.h>

#include <mutex>

extern "C" {
#include <libavcodec/version_major.h>
#include <libavformat/version_major.h>
#include <libavutil/macros.h>
#include <libavutil/version.h>
}

namespace media {

namespace {

constexpr char kAvformat[] = "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR);
constexpr char kAvcodec[] = "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR);
constexpr char kAvutil[] = "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR);

template <typename F>
bool Take(void* library, const char* name, F* to) {
    *to = library ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
    return *to != nullptr;
}

// Kept loaded for the rest of the program's life.
Libav* Load() {
    static Libav libav;
    void* format = dlopen(kAvformat, RTLD_NOW | RTLD_LOCAL);
    void* util = dlopen(kAvutil, RTLD_NOW | RTLD_LOCAL);
    // Already loaded by libavformat, which needs it.
    void* codec = dlopen(kAvcodec, RTLD_NOW | RTLD_LOCAL);
    const bool complete = Take(util, "av_log_set_level", &libav.log_set_level) &&
                          Take(util, "av_malloc", &libav.malloc) &&
                          Take(util, "av_free", &libav.free) &&
                          Take(util, "av_freep", &libav.freep) &&
                          Take(format, "avio_alloc_context", &libav.avio_alloc_context) &&
                          Take(format, "avio_context_free", &libav.avio_context_free) &&
                          Take(format, "avformat_alloc_context", &libav.alloc_context) &&
                          Take(format, "avformat_open_input", &libav.open_input) &&
                          Take(format, "avformat_find_stream_info", &libav.find_stream_info) &&
                          Take(format, "avformat_close_input", &libav.close_input) &&
                          Take(format, "av_read_frame", &libav.read_frame) &&
                          Take(util, "av_dict_get", &libav.dict_get) &&
                          Take(codec, "av_packet_alloc", &libav.packet_alloc) &&
                          Take(codec, "av_packet_free", &libav.packet_free) &&
                          Take(codec, "av_packet_unref", &libav.packet_unref) &&
                          Take(codec, "avcodec_get_name", &libav.codec_name);
    if (!complete) return nullptr;
    libav.log_set_level(AV_LOG_QUIET);
    return &libav;
}

}  // namespace

const Libav* LoadLibav() {
    static std::once_flag once;
    static const Libav* loaded = nullptr;
    std::call_once(once, [] { loaded = Load(); });
    return loaded;
}

const char* LibavformatSoname() {
    return kAvformat;
}

}  // namespace media
