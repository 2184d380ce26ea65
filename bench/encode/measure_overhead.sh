#!/usr/bin/env bash
# What Matroska and MP4 add to the packets they hold, on this system's
# ffmpeg: the figures behind ContainerCost in encode/codec_settings.cpp.
# Video streams of each kind the encode job makes (H.264 with and without
# B-frames, H.265, VP9; 2 kB and 10 kB packets), with AAC, Opus or no sound,
# are copied into each container at 10 to 120 seconds; per container and
# kind, the bytes beyond the packets' own are fitted over the packets:
# bytes per video packet, per audio packet and per file.
#
#   bench/encode/measure_overhead.sh
set -euo pipefail

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

src() { ffmpeg -nostdin -v error -f lavfi -i "testsrc2=duration=120:size=$1:rate=25" "${@:2}"; }
src 320x180 -c:v libx264 -preset ultrafast -b:v 100k -g 250 v-h264-nob.mkv
src 640x360 -c:v libx264 -preset medium -b:v 2000k -g 50 v-h264-b.mkv
src 320x180 -c:v libx265 -preset fast -b:v 300k -x265-params log-level=error v-h265.mkv
src 320x180 -c:v libvpx-vp9 -deadline good -cpu-used 8 -b:v 300k v-vp9.mkv
ffmpeg -nostdin -v error -f lavfi -i sine=duration=120:sample_rate=48000 -ac 2 -c:a aac -b:a 64k a-aac.mka
ffmpeg -nostdin -v error -f lavfi -i sine=duration=120:sample_rate=48000 -ac 2 -c:a libopus -b:a 32k a-opus.mka

# One line per file: container, video, audio, bytes beyond the packets,
# video packets, audio packets.
for container in mkv mp4; do
  for v in v-*.mkv; do
    for a in a-aac.mka a-opus.mka none; do
      for seconds in 10 30 60 120; do
        out="t.$container"
        if [ "$a" = none ]; then
          ffmpeg -nostdin -v error -y -i "$v" -map 0:v -c copy -t "$seconds" "$out"
        else
          ffmpeg -nostdin -v error -y -i "$v" -i "$a" -map 0:v -map 1:a -c copy -t "$seconds" "$out"
        fi
        bytes=$(stat -c %s "$out")
        ffprobe -v error -show_entries packet=stream_index,size -of csv=p=0 "$out" |
          awk -F, -v f="$bytes" -v c="$container" -v v="${v%.mkv}" -v a="${a%.mka}" \
            '{ s += $2; n[$1]++ } END { print c, v, a, f - s, n[0] + 0, n[1] + 0 }'
      done
    done
  done
done >samples.txt

# Least squares of the bytes beyond over the packets, per container and
# video kind: bytes = perVideoPacket * video + perAudioPacket * audio +
# perFile, by the normal equations (Cramer's rule).
printf '%-4s %-11s %12s %12s %10s\n' file video 'B/v-packet' 'B/a-packet' 'B/file'
awk '{ k = $1 " " $2; x1 = $5; x2 = $6; y = $4; n[k]++
       s1[k] += x1; s2[k] += x2; sy[k] += y; s11[k] += x1 * x1; s22[k] += x2 * x2
       s12[k] += x1 * x2; s1y[k] += x1 * y; s2y[k] += x2 * y }
     function det(a, b, c, d, e, f, g, h, i) { return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g) }
     END { for (k in n) {
             d = det(s11[k], s12[k], s1[k], s12[k], s22[k], s2[k], s1[k], s2[k], n[k])
             a = det(s1y[k], s12[k], s1[k], s2y[k], s22[k], s2[k], sy[k], s2[k], n[k]) / d
             b = det(s11[k], s1y[k], s1[k], s12[k], s2y[k], s2[k], s1[k], sy[k], n[k]) / d
             c = det(s11[k], s12[k], s1y[k], s12[k], s22[k], s2y[k], s1[k], s2[k], sy[k]) / d
             split(k, p, " "); printf "%-4s %-11s %12.2f %12.2f %10.0f\n", p[1], p[2], a, b, c } }' samples.txt | sort
