// The few functions of FFmpeg's libavformat, libavcodec and libavutil that
// the probe and the stream scan call, loaded when the first film is read
// rather than when the program starts: linked, the libraries and the
// hundred-odd libraries they pull in would cost every start of the window and
// the tool about 30 ms, also when no film is ever read. The sonames are those of the headers built
// against.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace media {

// What libavformat may read past the headers when they do not tell
// everything (transport streams, raw streams): at most this many bytes and
// this much stream time, whichever comes first. Two seconds hold a key frame
// with its picture size in broadcast and camera streams; five megabytes are
// two seconds of a 20 Mbit/s stream.
inline constexpr int64_t kProbeBytes = 5'000'000;
inline constexpr int64_t kAnalyzeMicroseconds = 2 * int64_t{AV_TIME_BASE};

struct Libav {
    decltype(&::av_log_set_level) log_set_level;
    decltype(&::av_malloc) malloc;
    decltype(&::av_free) free;
    decltype(&::av_freep) freep;
    decltype(&::avio_alloc_context) avio_alloc_context;
    decltype(&::avio_context_free) avio_context_free;
    decltype(&::avformat_alloc_context) alloc_context;
    decltype(&::avformat_open_input) open_input;
    decltype(&::avformat_find_stream_info) find_stream_info;
    decltype(&::avformat_close_input) close_input;
    // For reading a film's streams and packets (stream_scan.h).
    decltype(&::av_read_frame) read_frame;
    decltype(&::av_dict_get) dict_get;
    decltype(&::av_packet_alloc) packet_alloc;
    decltype(&::av_packet_free) packet_free;
    decltype(&::av_packet_unref) packet_unref;
    decltype(&::avcodec_get_name) codec_name;
};

// The functions, loaded once for every thread; null when the libraries (or
// one of the functions) cannot be loaded. Logging is quiet: a caller reports
// a failure in its own words.
const Libav* LoadLibav();

// The file names loaded, for messages: "libavformat.so.59".
const char* LibavformatSoname();

}  // namespace media
