#pragma once
// A site's End list in the cycle editor: a grid control whose double-click on the Retry Count column edits
// that cell, digits only.
#include "GridCtrl.h"

class CCycleGridCtrl : public CGridCtrl {
  Q_OBJECT

 public:
  static constexpr int kRetryColumn = 2;
  explicit CCycleGridCtrl(QWidget* parent = nullptr);
};
