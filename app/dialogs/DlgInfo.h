#pragma once

#include <QDialog>
#include <memory>

class CAnnaluxDoc;

// "この年表について": the chronology's description, editable, and the
// libraries it is made of (title and file of every library column in column
// order), read-only. OK stores a changed description in the document, which
// then counts as modified.
class CDlgInfo : public QDialog
{
    Q_OBJECT

public:
    explicit CDlgInfo(CAnnaluxDoc* doc, QWidget* parent = nullptr);
    ~CDlgInfo() override;

    // The library list as shown: per library column its title, a line break,
    // its file name and an empty line.
    static QString LibraryList(const CAnnaluxDoc& doc);

    void accept() override;

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
