#pragma once
// The push buttons of the settings and registration dialogs: numbered like their dialog controls, never
// pressed by an Enter meant for an edit, and the row that accepts or closes a dialog.
class QBoxLayout;
class QDialog;
class QPushButton;
class QWidget;

// A button named by its control id, which Enter never presses unless it is made the default.
QPushButton* DialogButton(const char* caption, QWidget* parent, int id);

// Adds the dialog's bottom row to `layout`: the default button `acceptCaption` (id 1), which is returned for
// the caller's handler, and "Close" (id 2), which closes the dialog without a result.
QPushButton* AddAcceptCloseRow(QDialog* dialog, QBoxLayout* layout, const char* acceptCaption);
