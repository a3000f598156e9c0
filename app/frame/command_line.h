#pragma once

// The reader's command line. Besides the platform's automation and embedding
// switches ("-Automation", "-Embedding", also with "/"), which only turn the
// splash screen off, it takes the data folder and a switch for scripts.

#include <QString>
#include <QStringList>

struct CommandLineInfo {
  bool showSplash = true;
  QString dataFolder;  // empty: LocateCollection looks for one
  bool showHelp = false;
  QString error;  // set when the arguments make no sense
};

// `arguments` without the program name.
CommandLineInfo ParseCommandLine(const QStringList& arguments);
QString CommandLineUsage(const QString& programName);
