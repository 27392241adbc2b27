#pragma once

#include <QDialog>
#include <memory>

class CAnnaluxView;

// "出来事の検索": the modeless event search. Each search command opens
// another one, centred on the view; all of them drive the same view, and each
// deletes itself when closed. The case flag is the user's habit
// ("Search"/"Capital"): read on opening, written after every search and on
// closing.
class CDialogSearch : public QDialog
{
    Q_OBJECT

public:
    static const char* const kNotFoundMessage;

    // Creates the dialog over view (owner: the window it belongs to) and
    // shows it.
    CDialogSearch(CAnnaluxView* view, QWidget* owner = nullptr);
    ~CDialogSearch() override;

    // "次を検索": one search step. False when nothing (more) was found; the
    // message has then been shown and the view's search cleared, so the next
    // step starts over.
    bool FindNext();

    void reject() override; // Escape closes like "閉じる"

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void StoreCaseFlag();

    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
