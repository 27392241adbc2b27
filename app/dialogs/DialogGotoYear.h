#pragma once

#include <QDialog>
#include <memory>

class CAnnaluxView;

// "指定年へ移動": moves the view to a year: Western ("1868", "-50", full-width digits
// and signs) or an era name with an optional era year ("明治10"; the name
// alone is the era's first year).
// OK asks the view; when it finds nothing the dialog says so and stays open.
class CDialogGotoYear : public QDialog
{
    Q_OBJECT

public:
    static const char* const kNotFoundMessage;

    explicit CDialogGotoYear(CAnnaluxView* view, QWidget* parent = nullptr);
    ~CDialogGotoYear() override;

    void accept() override;

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
