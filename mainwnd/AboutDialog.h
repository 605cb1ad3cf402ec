// The About box, reached from the main window's system menu.
#pragma once
#include "framework/CDialog.h"
#include "resource.h"

class AboutDialog : public CDialog {
public:
  AboutDialog() : CDialog(IDD_ABOUTBOX) {}
};
