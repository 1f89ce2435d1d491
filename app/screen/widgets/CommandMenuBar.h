#pragma once
// A menu bar built from a menu table. Each command has a handler and, where it depends on something that
// may be missing (a library, a file), a test of that; a command is enabled only when the login's rights
// allow it and it has something to do, so no command is ever chosen for nothing.
#include <QMenuBar>
#include <functional>
#include <map>
#include <vector>

#include "MenuTable.h"

class CommandMenuBar : public QMenuBar {
  Q_OBJECT

 public:
  using Handler = std::function<void()>;
  using Availability = std::function<bool()>;

  CommandMenuBar(const std::vector<MenuPopup>& popups, QWidget* parent);

  void SetHandler(int id, Handler run, Availability available = {});
  // The group's rights flags, by position among its commands.
  void SetRights(const MenuPopup& group, const std::vector<bool>& flags);
  // Enables each command whose rights allow it and that has something to do.
  void Refresh();

  const std::vector<MenuPopup>& Popups() const { return m_popups; }
  QAction* Action(int id) const;
  QMenu* Popup(const char* title) const;
  bool IsAllowed(int id) const;

 private:
  struct Entry {
    QAction* action = nullptr;
    Handler run;
    Availability available;
    bool allowed = true;
  };

  const std::vector<MenuPopup>& m_popups;
  std::map<int, Entry> m_entries;
};
