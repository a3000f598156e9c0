#include "app/frame/command_table.h"

const MenuCommand* FindMenuCommand(int id) {
  for (const MenuCommand& command : kMenuCommands) {
    if (command.id == id) return &command;
  }
  return nullptr;
}

std::u16string_view TooltipOf(std::u16string_view resourceString) {
  const size_t lineFeed = resourceString.find(u'\n');
  if (lineFeed == std::u16string_view::npos) return {};
  return resourceString.substr(lineFeed + 1);
}
