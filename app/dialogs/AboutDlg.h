#pragma once

#include <QDialog>
#include <memory>

// "ﾊﾞｰｼﾞｮﾝ情報": the program icon, its name and version.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    static const char* const kVersionText; // "Annalux Version 3.17"

    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
