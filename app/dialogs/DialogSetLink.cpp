#include "DialogSetLink.h"

#include "DialogButtons.h"
#include "HostServices.h"
#include "HostText.h"
#include "InputMethod.h"

#include "ui_DialogSetLink.h"

#include <QEvent>
#include <QPushButton>

const char* const CDialogSetLink::kMissingMessage = "リンク名とリンク先の両方を入力してください。";
const char* const CDialogSetLink::kBrowseFilter =
    "html, jpeg, gif, pngﾌｧｲﾙ (*.html;*.txt;*.jpeg;*.jpg;*.gif;*.png)|"
    "*.html;*.txt;*.jpeg;*.jpg;*.gif;*.png|すべてのﾌｧｲﾙ (*.*)|*.*||";

struct CDialogSetLink::SImpl
{
    Ui::DialogSetLink ui;
    QString result;
};

CDialogSetLink::CDialogSetLink(const QString& name, const QString& target, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    Ui::DialogSetLink& ui = m_impl->ui;
    ui.setupUi(this);
    CDialogButtons::Localize(ui.buttonBox);
    ui.buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    CInputMethod::SwitchOn(ui.editName);
    // Targets are addresses and paths: typed without the input method.
    CInputMethod::SwitchOff(ui.editTarget);
    ui.editTarget->setInputMethodHints(Qt::ImhUrlCharactersOnly | Qt::ImhNoPredictiveText);
    ui.editName->setText(name);
    ui.editTarget->setText(target.isEmpty() ? QStringLiteral("http://") : target);

    connect(ui.buttonBrowse, &QPushButton::clicked, this, &CDialogSetLink::Browse);
    connect(ui.buttonBox, &QDialogButtonBox::accepted, this, &CDialogSetLink::accept);
    connect(ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CDialogSetLink::~CDialogSetLink() = default;

QString CDialogSetLink::GetName() const
{
    return m_impl->ui.editName->text();
}

QString CDialogSetLink::GetTarget() const
{
    return m_impl->ui.editTarget->text();
}

void CDialogSetLink::SetName(const QString& name)
{
    m_impl->ui.editName->setText(name);
}

void CDialogSetLink::SetTarget(const QString& target)
{
    m_impl->ui.editTarget->setText(target);
}

QString CDialogSetLink::GetResult() const
{
    return m_impl->result;
}

QString CDialogSetLink::MakeMarkup(const QString& target, const QString& name)
{
    return QStringLiteral("<A HREF=\"%1\">%2</A>").arg(target, name);
}

void CDialogSetLink::Browse()
{
    SFileDialogRequest request;
    request.filter = kBrowseFilter;
    request.flags = SFileDialogRequest::Explorer | SFileDialogRequest::HideReadOnly |
                    SFileDialogRequest::FileMustExist | SFileDialogRequest::NoChangeDir;
    std::string path;
    if (!CHostServices::Get().GetOpenFileName(request, path) || path.empty())
        return;
    m_impl->ui.editTarget->setText(CHostText::FromHostPath(path));
}

void CDialogSetLink::accept()
{
    Ui::DialogSetLink& ui = m_impl->ui;
    const QString name = ui.editName->text();
    const QString target = ui.editTarget->text();
    if (name.isEmpty() || target.isEmpty()) {
        CHostServices::Get().MessageBox(kMissingMessage, CHostServices::IconWarning);
        (name.isEmpty() ? ui.editName : ui.editTarget)->setFocus();
        return;
    }
    m_impl->result = MakeMarkup(target, name);
    QDialog::accept();
}
