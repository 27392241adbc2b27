#include "AboutDlg.h"

const char* const CAboutDlg::kVersionText = "Annalux Version 3.17";

struct CAboutDlg::SImpl
{
};

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_impl(std::make_unique<SImpl>()) {}

CAboutDlg::~CAboutDlg() = default;
