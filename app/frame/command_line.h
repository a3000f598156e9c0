#pragma once

// The reader's command line. Besides the platform's automation and embedding
// switches ("-Automation", "-Embedding", also with "/"), which only turn the
// splash screen off, it takes the data folder and a switch for scripts.

#include <QString>
#include <QStringList>
#include <optional>

struct CommandLineInfo {
  bool showSplash = true;
  QString dataFolder;  // empty: LocateCollection looks for one
  bool showHelp = false;
  bool showVersion = false;
  QString error;  // set when the arguments make no sense
};

// `arguments` without the program name.
CommandLineInfo ParseCommandLine(const QStringList& arguments);
QString CommandLineUsage(const QString& programName);
// "quillwen 0.1": the program's name and version, as --version prints them.
QString VersionLine(const QString& programName);

// What --help and --version print, with the exit code, when `arguments` (the
// raw ones, Qt's own switches included) ask for either; nothing otherwise. They
// are answered before the application object exists, so with no display.
struct CommandLineAnswer {
  QString text;
  int exitCode = 0;
};
std::optional<CommandLineAnswer> AnswerWithoutDisplay(const QStringList& arguments,
                                                      const QString& programName);
