// Speed of the twelve pixel kernels, fast and plain, against memcpy of the
// destination bytes and against the established libraries' nearest
// conversions (pixman, libyuv, SDL2, Qt), all measured in the same run. Two
// sizes: a 96 x 96 block inside a 400-pixel-wide surface (an animation frame's
// dirty rectangle) and a whole 1920 x 1080 frame. After the Google Benchmark
// output it prints one Markdown table with the ratios.
//
// The libraries are speed references; some compute slightly different bytes
// (see docs/performance.md). Qt's convertToFormat allocates the result image
// on every call, which is part of its cost.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <libyuv.h>
#include <pixman.h>
#include <QImage>
#include <QList>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "info/pixel_convert.h"

namespace {

struct Size {
    const char* name;
    int32_t w, h;      // the block
    int32_t surfaceW;  // the surfaces it lies in
    int32_t surfaceH;
    int32_t x, y;  // the block's position
};
const Size kSizes[] = {{"96x96", 96, 96, 400, 300, 100, 100},
                       {"1920x1080", 1920, 1080, 1920, 1080, 0, 0}};

struct Buffers {
    std::vector<uint8_t> src, dst;
    int32_t srcPitch, dstPitch;
    uint8_t* srcBlock;
    uint8_t* dstBlock;
};

int32_t Pitch(int32_t w, int bits) {
    return (w * bits / 8 + 3) / 4 * 4;
}

Buffers MakeBuffers(const Size& s, int dstBits, int srcBits) {
    Buffers b;
    b.srcPitch = Pitch(s.surfaceW, srcBits);
    b.dstPitch = Pitch(s.surfaceW, dstBits);
    b.src.resize(static_cast<size_t>(b.srcPitch) * s.surfaceH);
    b.dst.resize(static_cast<size_t>(b.dstPitch) * s.surfaceH, 0);
    std::mt19937 rng(1);
    for (auto& v : b.src)
        v = static_cast<uint8_t>(rng());
    b.srcBlock = b.src.data() + static_cast<ptrdiff_t>(s.y) * b.srcPitch + s.x * srcBits / 8;
    b.dstBlock = b.dst.data() + static_cast<ptrdiff_t>(s.y) * b.dstPitch + s.x * dstBits / 8;
    return b;
}

uint32_t* Palette() {
    static uint32_t palette[256];
    std::mt19937 rng(2);
    for (auto& e : palette)
        e = static_cast<uint32_t>(rng()) | 0xFF000000u;
    return palette;
}

// One source/destination depth pair with the libraries' formats for it.
struct Pair {
    const char* kernel;
    int dstBits, srcBits;
    PixelKernel ours;
    PaletteKernel oursPalette;
    pixman_format_code_t pixmanDst, pixmanSrc;
    uint32_t sdlDst, sdlSrc;  // 0: SDL has no such conversion
    QImage::Format qtDst, qtSrc;
    // libyuv's nearest function, or empty.
    std::function<void(const Buffers&, const Size&)> yuv;
};

using Fmt = QImage::Format;
const uint32_t kSdl16 = SDL_PIXELFORMAT_RGB555, kSdl24 = SDL_PIXELFORMAT_BGR24,
               kSdl32 = SDL_PIXELFORMAT_RGB888;

std::vector<Pair> Pairs() {
    auto plane = [](int bytes) {
        return [bytes](const Buffers& b, const Size& s) {
            libyuv::CopyPlane(b.srcBlock, b.srcPitch, b.dstBlock, b.dstPitch, s.w * bytes, s.h);
        };
    };
    return {
        {"Copy16", 16, 16, Copy16, nullptr, PIXMAN_x1r5g5b5, PIXMAN_x1r5g5b5, kSdl16, kSdl16,
         Fmt::Format_Invalid, Fmt::Format_Invalid, plane(2)},
        {"Convert24To16", 16, 24, Convert24To16, nullptr, PIXMAN_x1r5g5b5, PIXMAN_r8g8b8, kSdl16,
         kSdl24, Fmt::Format_RGB555, Fmt::Format_BGR888, nullptr},
        {"Convert32To16", 16, 32, Convert32To16, nullptr, PIXMAN_x1r5g5b5, PIXMAN_x8r8g8b8, kSdl16,
         kSdl32, Fmt::Format_RGB555, Fmt::Format_RGB32,
         [](const Buffers& b, const Size& s) {
             libyuv::ARGBToARGB1555(b.srcBlock, b.srcPitch, b.dstBlock, b.dstPitch, s.w, s.h);
         }},
        {"Convert16To24", 24, 16, Convert16To24, nullptr, PIXMAN_r8g8b8, PIXMAN_x1r5g5b5, kSdl24,
         kSdl16, Fmt::Format_BGR888, Fmt::Format_RGB555, nullptr},
        {"Copy24", 24, 24, Copy24, nullptr, PIXMAN_r8g8b8, PIXMAN_r8g8b8, kSdl24, kSdl24,
         Fmt::Format_Invalid, Fmt::Format_Invalid, plane(3)},
        {"Convert32To24", 24, 32, Convert32To24, nullptr, PIXMAN_r8g8b8, PIXMAN_x8r8g8b8, kSdl24,
         kSdl32, Fmt::Format_BGR888, Fmt::Format_RGB32,
         [](const Buffers& b, const Size& s) {
             libyuv::ARGBToRGB24(b.srcBlock, b.srcPitch, b.dstBlock, b.dstPitch, s.w, s.h);
         }},
        {"Convert16To32", 32, 16, Convert16To32, nullptr, PIXMAN_x8r8g8b8, PIXMAN_x1r5g5b5, kSdl32,
         kSdl16, Fmt::Format_RGB32, Fmt::Format_RGB555,
         [](const Buffers& b, const Size& s) {
             libyuv::ARGB1555ToARGB(b.srcBlock, b.srcPitch, b.dstBlock, b.dstPitch, s.w, s.h);
         }},
        {"Convert24To32", 32, 24, Convert24To32, nullptr, PIXMAN_x8r8g8b8, PIXMAN_r8g8b8, kSdl32,
         kSdl24, Fmt::Format_RGB32, Fmt::Format_BGR888,
         [](const Buffers& b, const Size& s) {
             libyuv::RGB24ToARGB(b.srcBlock, b.srcPitch, b.dstBlock, b.dstPitch, s.w, s.h);
         }},
        {"Copy32", 32, 32, Copy32, nullptr, PIXMAN_x8r8g8b8, PIXMAN_x8r8g8b8, kSdl32, kSdl32,
         Fmt::Format_Invalid, Fmt::Format_Invalid,
         [](const Buffers& b, const Size& s) {
             libyuv::ARGBCopy(b.srcBlock, b.srcPitch, b.dstBlock, b.dstPitch, s.w, s.h);
         }},
        {"Convert8To16", 16, 8, nullptr, Convert8To16, PIXMAN_x1r5g5b5, PIXMAN_c8, 0, 0,
         Fmt::Format_RGB555, Fmt::Format_Indexed8, nullptr},
        {"Convert8To24", 24, 8, nullptr, Convert8To24, PIXMAN_r8g8b8, PIXMAN_c8, 0, 0,
         Fmt::Format_BGR888, Fmt::Format_Indexed8, nullptr},
        {"Convert8To32", 32, 8, nullptr, Convert8To32, PIXMAN_x8r8g8b8, PIXMAN_c8, 0, 0,
         Fmt::Format_RGB32, Fmt::Format_Indexed8, nullptr},
    };
}

void SetCounters(benchmark::State& state, const Size& s, int dstBits) {
    const double px = static_cast<double>(s.w) * s.h;
    state.SetItemsProcessed(static_cast<int64_t>(static_cast<double>(state.iterations()) * px));
    state.SetBytesProcessed(
        static_cast<int64_t>(static_cast<double>(state.iterations()) * px * dstBits / 8));
}

void RegisterPair(const Pair& p, const Size& s) {
    const std::string base = std::string(p.kernel) + "/" + s.name + "/";
    auto add = [&](const char* who, std::function<void(benchmark::State&)> fn) {
        benchmark::RegisterBenchmark((base + who).c_str(), fn)->UseRealTime();
    };
    for (const char* who : {"ours", "plain"}) {
        const bool fast = std::strcmp(who, "ours") == 0;
        add(who, [p, s, fast](benchmark::State& state) {
            Buffers b = MakeBuffers(s, p.dstBits, p.srcBits);
            const uint32_t* palette = Palette();
            SetPixelFastPaths(fast);
            for (auto _ : state) {
                if (p.ours != nullptr) {
                    p.ours(b.dstBlock, b.dstPitch, b.srcBlock, b.srcPitch, s.w, s.h);
                } else {
                    p.oursPalette(b.dstBlock, b.dstPitch, b.srcBlock, b.srcPitch, s.w, s.h,
                                  palette);
                }
                benchmark::ClobberMemory();
            }
            SetPixelFastPaths(true);
            SetCounters(state, s, p.dstBits);
        });
    }
    add("memcpy", [p, s](benchmark::State& state) {
        const size_t bytes = static_cast<size_t>(s.w) * s.h * p.dstBits / 8;
        std::vector<uint8_t> from(bytes, 1), to(bytes);
        for (auto _ : state) {
            std::memcpy(to.data(), from.data(), bytes);
            benchmark::ClobberMemory();
        }
        SetCounters(state, s, p.dstBits);
    });
    add("pixman", [p, s](benchmark::State& state) {
        Buffers b = MakeBuffers(s, p.dstBits, p.srcBits);
        pixman_image_t* src =
            pixman_image_create_bits(p.pixmanSrc, s.surfaceW, s.surfaceH,
                                     reinterpret_cast<uint32_t*>(b.src.data()), b.srcPitch);
        pixman_image_t* dst =
            pixman_image_create_bits(p.pixmanDst, s.surfaceW, s.surfaceH,
                                     reinterpret_cast<uint32_t*>(b.dst.data()), b.dstPitch);
        auto indexed = std::make_unique<pixman_indexed_t>();
        if (p.srcBits == 8) {
            indexed->color = 1;
            std::memcpy(indexed->rgba, Palette(), sizeof(indexed->rgba));
            pixman_image_set_indexed(src, indexed.get());
        }
        for (auto _ : state) {
            pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, s.x, s.y, 0, 0, s.x, s.y,
                                     s.w, s.h);
            benchmark::ClobberMemory();
        }
        pixman_image_unref(src);
        pixman_image_unref(dst);
        SetCounters(state, s, p.dstBits);
    });
    if (p.yuv) {
        add("libyuv", [p, s](benchmark::State& state) {
            Buffers b = MakeBuffers(s, p.dstBits, p.srcBits);
            for (auto _ : state) {
                p.yuv(b, s);
                benchmark::ClobberMemory();
            }
            SetCounters(state, s, p.dstBits);
        });
    }
    if (p.sdlSrc != 0) {
        add("SDL2", [p, s](benchmark::State& state) {
            Buffers b = MakeBuffers(s, p.dstBits, p.srcBits);
            for (auto _ : state) {
                if (SDL_ConvertPixels(s.w, s.h, p.sdlSrc, b.srcBlock, b.srcPitch, p.sdlDst,
                                      b.dstBlock, b.dstPitch) != 0) {
                    state.SkipWithError(SDL_GetError());
                    break;
                }
                benchmark::ClobberMemory();
            }
            SetCounters(state, s, p.dstBits);
        });
    }
    if (p.qtSrc != Fmt::Format_Invalid) {
        add("Qt", [p, s](benchmark::State& state) {
            Buffers b = MakeBuffers(s, p.dstBits, p.srcBits);
            QImage src(b.srcBlock, s.w, s.h, b.srcPitch, p.qtSrc);
            if (p.srcBits == 8) {
                QList<QRgb> table(256);
                std::copy(Palette(), Palette() + 256, table.begin());
                src.setColorTable(table);
            }
            for (auto _ : state) {
                QImage converted = src.convertToFormat(p.qtDst);
                benchmark::DoNotOptimize(converted.constBits());
            }
            SetCounters(state, s, p.dstBits);
        });
    }
}

// Collects the real time per iteration of every run for the summary table.
class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.error_occurred || r.run_type != Run::RT_Iteration) continue;
            // The fastest repetition: the machine may be busy with other work.
            std::string name = r.benchmark_name();
            name = name.substr(0, name.find("/min_time"));
            name = name.substr(0, name.find("/real_time"));
            const double t = r.GetAdjustedRealTime();
            auto [it, added] = times_.emplace(name, t);
            if (!added) it->second = std::min(it->second, t);
        }
    }

    void PrintTable(const std::vector<Pair>& pairs) const {
        const char* libs[] = {"pixman", "libyuv", "SDL2", "Qt"};
        std::printf(
            "\n| kernel | block | Mpx/s | dst GB/s | plain Mpx/s | vs memcpy | vs pixman | vs "
            "libyuv "
            "| vs SDL2 | vs Qt | target |\n"
            "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---|\n");
        for (const Pair& p : pairs) {
            const bool copy = p.dstBits == p.srcBits;
            for (const Size& s : kSizes) {
                const std::string base = std::string(p.kernel) + "/" + s.name + "/";
                const double ours = Time(base + "ours");
                if (ours <= 0) continue;
                const double px = static_cast<double>(s.w) * s.h;
                std::printf("| %s | %s | %.0f | %.1f | %.0f | %s |", p.kernel, s.name,
                            px / ours * 1e3, px * p.dstBits / 8 / ours,
                            px / Time(base + "plain") * 1e3,
                            Ratio(Time(base + "memcpy"), ours).c_str());
                double bestLib = 0;
                for (const char* lib : libs) {
                    const double t = Time(base + lib);
                    std::printf(" %s |", Ratio(t, ours).c_str());
                    if (t > 0 && (bestLib == 0 || t < bestLib)) bestLib = t;
                }
                const double target = copy ? Time(base + "memcpy") / ours / 0.9
                                           : (bestLib > 0 ? bestLib / ours : 1e9);
                std::printf(" %s |\n", target >= 1.0 ? "met" : "missed");
            }
        }
        std::printf(
            "\nRatios are speed ours / speed theirs (above 1: ours is faster). Target: copies at "
            "least 0.9 x memcpy, conversions at least the fastest library.\n");
    }

private:
    double Time(const std::string& name) const {
        const auto it = times_.find(name);
        return it == times_.end() ? 0 : it->second;
    }
    static std::string Ratio(double theirs, double ours) {
        if (theirs <= 0 || ours <= 0) return "-";
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", theirs / ours);
        return text;
    }
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<Pair> pairs = Pairs();
    for (const Pair& p : pairs) {
        for (const Size& s : kSizes)
            RegisterPair(p, s);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTable(pairs);
    benchmark::Shutdown();
    return 0;
}
