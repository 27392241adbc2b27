#pragma once

#include <QDialog>
#include <memory>
#include <vector>

class CHeaderManager;

// "列消去": lists every column with a check box, its name (the library's
// title, "西暦" for the year column) and its kind. The caller removes the
// checked columns; the dialog only reports them.
class CDialogHeaderSelect : public QDialog
{
    Q_OBJECT

public:
    explicit CDialogHeaderSelect(const CHeaderManager& columns, QWidget* parent = nullptr);
    ~CDialogHeaderSelect() override;

    // One flag per column in display order.
    std::vector<bool> GetChecked() const;
    void SetChecked(int column, bool checked);

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
