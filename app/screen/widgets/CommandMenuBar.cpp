#include "CommandMenuBar.h"

#include <QMenu>

CommandMenuBar::CommandMenuBar(const std::vector<MenuPopup>& popups, QWidget* parent)
    : QMenuBar(parent), m_popups(popups) {
  for (const MenuPopup& popup : popups) {
    QMenu* menu = addMenu(QString::fromLatin1(popup.title));
    menu->setObjectName(QString::fromLatin1(popup.rightsKey));
    for (const MenuCommand& command : popup.items) {
      if (command.id == 0) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(QString::fromLatin1(command.text));
      action->setObjectName(QString::number(command.id));
      action->setData(command.id);
      const int id = command.id;
      connect(action, &QAction::triggered, this, [this, id] {
        const auto entry = m_entries.find(id);
        if (entry != m_entries.end() && entry->second.run) entry->second.run();
      });
      m_entries[id].action = action;
    }
  }
}

void CommandMenuBar::SetHandler(int id, Handler run) {
  const auto entry = m_entries.find(id);
  if (entry != m_entries.end()) entry->second.run = std::move(run);
}

void CommandMenuBar::SetRights(const MenuPopup& group, const std::vector<bool>& flags) {
  const std::vector<MenuCommand> commands = group.Commands();
  for (std::size_t i = 0; i < commands.size() && i < flags.size(); ++i) {
    const auto entry = m_entries.find(commands[i].id);
    if (entry != m_entries.end()) entry->second.action->setEnabled(flags[i]);
  }
}

QAction* CommandMenuBar::Action(int id) const {
  const auto entry = m_entries.find(id);
  return entry == m_entries.end() ? nullptr : entry->second.action;
}

QMenu* CommandMenuBar::Popup(const char* title) const {
  for (QAction* action : actions())
    if (action->menu() != nullptr && action->text() == QLatin1String(title)) return action->menu();
  return nullptr;
}

