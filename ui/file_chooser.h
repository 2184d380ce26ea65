// The file choosers of the film functions: the desktop's own dialog where
// the platform offers one, else the toolkit's, labelled in German. Each
// returns the chosen path, or an empty string when the user cancelled.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QUrl;
class QWidget;

// A film to read, starting in `folder` (empty: the last folder or the home),
// as the file system names it: a desktop's dialog keeps a name that is not
// UTF-8.
QByteArray ChooseFilmFile(QWidget* parent, const QString& folder = QString());
// Where to write the encoded film, starting at `current`. It does not ask
// about an existing file: the caller does before anything is written.
QString ChooseOutputFile(QWidget* parent, const QString& current);

// The path of a local file's URL as the file system names it (bytes, not
// always UTF-8: the percent-encoded path, not its text); empty for a URL of
// another host or scheme.
QByteArray LocalPathBytes(const QUrl& url);

// Test hook: answers every chooser instead of showing one (empty: show them).
void SetFileChooserForTests(std::function<QString()> answer);
