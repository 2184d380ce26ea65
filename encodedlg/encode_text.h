// The German words of the encode dialog and of its desktop notification: a
// job's step, its failures, numbers and times as the dialog shows them, one
// line per file written, and the one sentence that tells the result. The
// encode job itself speaks English; everything the user reads of it is
// chosen here. No widgets.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "encode/encode_job.h"

namespace encodetext {

// "1. Durchgang", "2. Durchgang", "2. Durchgang, Korrektur 1", "Wird in
// Teile geschnitten".
QString Step(const encode::Progress& progress);
// One sentence, without the file's name.
QString Failure(const encode::Outcome& outcome);
// 1468006400 → "1.468.006.400".
QString Grouped(int64_t value);
// "12,5 Bilder/s"; empty when unknown.
QString FramesPerSecond(double fps);
// "Restzeit: 01:02:03"; "Restzeit: unbekannt" when unknown.
QString TimeLeft(double seconds);
// "film.part1.mkv: 733.998.123 von 734.003.200 Byte, passt".
QString FileLine(const encode::OutputFile& file);
// The result in one sentence, naming the output by its file name: whether
// every file fits, or why the job failed.
QString ResultSentence(const QString& outputName, const encode::Outcome& outcome);
// "Ausgelassen: …" for the streams left out; empty when none was.
QString LeftOut(const std::vector<std::string>& leftOut);

}  // namespace encodetext
