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
    connect(menu, &QMenu::aboutToShow, this, [this] { Refresh(); });
  }
  Refresh();
}

void CommandMenuBar::SetHandler(int id, Handler run, Availability available) {
  const auto entry = m_entries.find(id);
  if (entry == m_entries.end()) return;
  entry->second.run = std::move(run);
  entry->second.available = std::move(available);
  Refresh();
}

void CommandMenuBar::SetRights(const MenuPopup& group, const std::vector<bool>& flags) {
  const std::vector<MenuCommand> commands = group.Commands();
  for (std::size_t i = 0; i < commands.size() && i < flags.size(); ++i) {
    const auto entry = m_entries.find(commands[i].id);
    if (entry != m_entries.end()) entry->second.allowed = flags[i];
  }
  Refresh();
}

void CommandMenuBar::Refresh() {
  for (auto& [id, entry] : m_entries)
    entry.action->setEnabled(entry.allowed && entry.run && (!entry.available || entry.available()));
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

bool CommandMenuBar::IsAllowed(int id) const {
  const auto entry = m_entries.find(id);
  return entry != m_entries.end() && entry->second.allowed;
}
