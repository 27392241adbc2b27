#pragma once

#include <QDialog>
#include <memory>

class CAnnaluxView;

// "指定時代へ移動": moves the view to a period by its name as shown (link markup aside).
// OK asks the view; when it finds nothing the dialog says so and stays open.
class CDialogGotoEra : public QDialog
{
    Q_OBJECT

public:
    static const char* const kNotFoundMessage;

    explicit CDialogGotoEra(CAnnaluxView* view, QWidget* parent = nullptr);
    ~CDialogGotoEra() override;

    void accept() override;

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
