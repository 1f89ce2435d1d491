// The facade's 120 exports. Each wrapper is exported under its facade name with exactly the type of its
// board function; the symbol resolves (GNU indirect function) to the Forwarder instantiation for its
// place in the list, so no parameter list is written twice.
#include <QApplication>
#include <QPointer>
#include <atomic>
#include <type_traits>

#include "CSpecDlg.h"
#include "board_api_table.h"
#include "forwarder.h"
#include "port/message_box.h"

namespace encap {
namespace {

enum WrapperIndex : std::size_t {
#define QRV_ENCAP_INDEX(facade, board, logId, required) k_##facade,
  QRV_ENCAP_WRAPPERS(QRV_ENCAP_INDEX)
#undef QRV_ENCAP_INDEX
};

std::atomic<bool> initialised{false};

// The one log window. At unload it goes with the library, unless the application has already ended, when
// no widget may be touched any more.
class LogWindow {
 public:
  // The log the window listens to is made first, so that it is destroyed after the window.
  LogWindow() { TheLog(); }
  ~LogWindow() {
    if (QCoreApplication::instance()) delete window_.data();
  }
  void Create() {
    if (window_ || !qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    window_ = new CSpecDlg(TheLog());
  }
  void Show() {
    if (!window_) return;
    window_->hide();
    window_->show();
  }

 private:
  QPointer<CSpecDlg> window_;
};

LogWindow logWindow;

// Bound while the library is being loaded, before any export can be called.
[[maybe_unused]] const BoardApiTable& boundAtLoad = BoardApi();

}  // namespace
}  // namespace encap

// A message box inside the loader would hold the loader's lock while it waits for the operator, so binding
// problems are told at the first OnInit, which the hardware library calls right after loading the facade.
QRV_EXPORT void OnInit() {
  if (encap::initialised.exchange(true)) return;
  encap::logWindow.Create();
  for (const std::string& text : encap::BoardApi().Problems()) port::MessageBox(text, "", port::kMbOk);
}

QRV_EXPORT int OnSpecDlg() {
  encap::logWindow.Show();
  return 1;
}

#define QRV_ENCAP_EXPORT(facade, board, logId, required)                                                     \
  extern "C" Fn_##board facade##_Resolve() {                                                               \
    return &encap::Forwarder<encap::k_##facade, Fn_##board, encap::LogId::logId>::Call;                    \
  }                                                                                                        \
  QRV_EXPORT std::remove_pointer_t<Fn_##board> facade __attribute__((ifunc(#facade "_Resolve")));
QRV_ENCAP_WRAPPERS(QRV_ENCAP_EXPORT)
#undef QRV_ENCAP_EXPORT
