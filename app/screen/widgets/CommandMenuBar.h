#pragma once
// A menu bar built from a menu table. Each command has a handler; the login's rights alone enable or grey
// a command. A handler whose target is missing (a library, a file) simply does nothing.
#include <QMenuBar>
#include <functional>
#include <map>
#include <vector>

#include "MenuTable.h"

class CommandMenuBar : public QMenuBar {
  Q_OBJECT

 public:
  using Handler = std::function<void()>;

  CommandMenuBar(const std::vector<MenuPopup>& popups, QWidget* parent);

  void SetHandler(int id, Handler run);
  // Enables or greys the group's commands by their rights flags, by position among its commands.
  void SetRights(const MenuPopup& group, const std::vector<bool>& flags);

  const std::vector<MenuPopup>& Popups() const { return m_popups; }
  QAction* Action(int id) const;
  QMenu* Popup(const char* title) const;

 private:
  struct Entry {
    QAction* action = nullptr;
    Handler run;
  };

  const std::vector<MenuPopup>& m_popups;
  std::map<int, Entry> m_entries;
};
