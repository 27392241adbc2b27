#pragma once

#include <QDialog>
#include <QString>
#include <memory>

// "リンクの設定": the name and the target of one link. OK needs both and
// yields the markup <A HREF="target">name</A>.
class CDialogSetLink : public QDialog
{
    Q_OBJECT

public:
    // An empty target is offered as "http://".
    CDialogSetLink(const QString& name, const QString& target, QWidget* parent = nullptr);
    ~CDialogSetLink() override;

    static const char* const kMissingMessage;
    static const char* const kBrowseFilter;

    QString GetName() const;
    QString GetTarget() const;
    void SetName(const QString& name);
    void SetTarget(const QString& target);
    // The markup accepted by the last OK (empty before).
    QString GetResult() const;
    // The markup of a name and a target.
    static QString MakeMarkup(const QString& target, const QString& name);

    void accept() override;

private:
    void Browse();

    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
};
