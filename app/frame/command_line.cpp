#include "app/frame/command_line.h"

namespace {

bool IsPlatformSwitch(const QString& argument, QLatin1String name) {
  if (argument.size() < 2 || (argument[0] != u'-' && argument[0] != u'/')) return false;
  return argument.mid(1).compare(name, Qt::CaseInsensitive) == 0;
}

bool IsHelpSwitch(const QString& argument) {
  return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

}  // namespace

CommandLineInfo ParseCommandLine(const QStringList& arguments) {
  CommandLineInfo info;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (IsPlatformSwitch(argument, QLatin1String("Automation")) ||
        IsPlatformSwitch(argument, QLatin1String("Embedding")) ||
        argument == QLatin1String("--no-splash")) {
      info.showSplash = false;
    } else if (IsHelpSwitch(argument)) {
      info.showHelp = true;
    } else if (argument == QLatin1String("--version")) {
      info.showVersion = true;
    } else if (argument == QLatin1String("--data")) {
      if (i + 1 >= arguments.size()) {
        info.error = QStringLiteral("--data needs a folder");
        return info;
      }
      info.dataFolder = arguments[++i];
    } else if (argument.startsWith(QLatin1String("--data="))) {
      info.dataFolder = argument.mid(7);
      if (info.dataFolder.isEmpty()) {
        info.error = QStringLiteral("--data needs a folder");
        return info;
      }
    } else {
      info.error = QStringLiteral("unknown argument: %1").arg(argument);
      return info;
    }
  }
  return info;
}

QString CommandLineUsage(const QString& programName) {
  return QStringLiteral(
             "Usage: %1 [--data DIR] [--no-splash]\n"
             "\n"
             "Quillwen: reader and full-text search for a collection of classical Chinese texts.\n"
             "\n"
             "  --data DIR    read the collection (mvr.dir, Index-fl.h, Index-fl.cnt, the index\n"
             "                sets, yitizi.txt) from DIR instead of looking for it\n"
             "  --no-splash   start without the splash screen (for tests and scripts)\n"
             "  -Automation, -Embedding\n"
             "                the platform's automation switches; they also leave the splash out\n"
             "  -h, --help    show this text\n"
             "  --version     show the program's version\n"
             "\n"
             "Without --data the collection is the first of these folders that holds\n"
             "mvr.dir: the program's own folder, $QUILLWEN_DATA, $XDG_DATA_HOME/quillwen\n"
             "(default ~/.local/share/quillwen), each of $XDG_DATA_DIRS (default\n"
             "/usr/local/share:/usr/share) with /quillwen. quillwen-build SOURCE\n"
             "~/.local/share/quillwen builds one there.\n"
             "\n"
             "The splash picture is splash.gif or splash.png in the data folder when present.\n"
             "When the program ends it starts end.exe from the data folder, if there is one.\n")
      .arg(programName);
}

QString VersionLine(const QString& programName) {
  return programName + u' ' + QString::fromLatin1(QUILLWEN_VERSION) + u'\n';
}

std::optional<CommandLineAnswer> AnswerWithoutDisplay(const QStringList& arguments,
                                                      const QString& programName) {
  // Only the two questions: everything else, Qt's own switches among them, is
  // for the full parse once the application object has taken its part.
  for (const QString& argument : arguments) {
    if (IsHelpSwitch(argument)) return CommandLineAnswer{CommandLineUsage(programName), 0};
  }
  if (arguments.contains(QLatin1String("--version")))
    return CommandLineAnswer{VersionLine(programName), 0};
  return std::nullopt;
}
