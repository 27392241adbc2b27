#include "DialogAssistant.h"

#include "DialogButtons.h"
#include "HostServices.h"
#include "HostText.h"
#include "Settings.h"

#include "ui_DialogAssistant.h"

#include <QLineEdit>

const char* const CDialogAssistant::kNoFileMessage = "ファイルを指定してください";
const char* const CDialogAssistant::kFileFilter = "Annalux(*.anx)|*.anx|すべて(*.*)|*.*||";

struct CDialogAssistant::SImpl
{
    Ui::DialogAssistant ui;
    bool showAtStart = true;
    QRadioButton* radio[kChoiceCount] = {};
    QWidget* note[kChoiceCount] = {};
};

CDialogAssistant::CDialogAssistant(const QStringList& recentFiles, bool showAtStart,
                                   QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<SImpl>())
{
    SImpl& d = *m_impl;
    d.showAtStart = showAtStart;
    d.ui.setupUi(this);
    CDialogButtons::Localize(d.ui.buttonBox);
    d.radio[ChoiceOpenFile] = d.ui.radioOpen;
    d.radio[ChoiceCombineLibraries] = d.ui.radioCombine;
    d.radio[ChoiceCreateLibrary] = d.ui.radioCreate;
    d.note[ChoiceCombineLibraries] = d.ui.labelCombineNote;
    d.note[ChoiceCreateLibrary] = d.ui.labelCreateNote;

    for (const QString& file : recentFiles) {
        if (!file.trimmed().isEmpty())
            d.ui.comboFile->addItem(file);
    }
    d.ui.comboFile->setCurrentIndex(d.ui.comboFile->count() > 0 ? 0 : -1);
    d.ui.radioOpen->setChecked(true);
    d.ui.checkDontShow->setChecked(!showAtStart);

    // Picking or typing a file means the first choice.
    auto selectOpen = [this] { m_impl->ui.radioOpen->setChecked(true); };
    connect(d.ui.comboFile, &QComboBox::activated, this, selectOpen);
    connect(d.ui.comboFile->lineEdit(), &QLineEdit::textEdited, this, selectOpen);
    connect(d.ui.buttonBrowse, &QPushButton::clicked, this, &CDialogAssistant::BrowseFile);
    connect(d.ui.buttonBox, &QDialogButtonBox::accepted, this, &CDialogAssistant::accept);
    connect(d.ui.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CDialogAssistant::~CDialogAssistant() = default;

CDialogAssistant::EChoice CDialogAssistant::GetChoice() const
{
    for (int i = 0; i < kChoiceCount; ++i) {
        if (m_impl->radio[i]->isChecked() && m_impl->radio[i]->isEnabled())
            return static_cast<EChoice>(i);
    }
    return ChoiceOpenFile;
}

void CDialogAssistant::SetChoice(EChoice choice)
{
    if (choice >= 0 && choice < kChoiceCount && m_impl->radio[choice]->isEnabled())
        m_impl->radio[choice]->setChecked(true);
}

void CDialogAssistant::SetChoiceEnabled(EChoice choice, bool enabled)
{
    if (choice < 0 || choice >= kChoiceCount)
        return;
    SImpl& d = *m_impl;
    d.radio[choice]->setEnabled(enabled);
    if (d.note[choice])
        d.note[choice]->setEnabled(enabled);
    if (choice == ChoiceOpenFile) {
        d.ui.comboFile->setEnabled(enabled);
        d.ui.buttonBrowse->setEnabled(enabled);
    }
    if (!enabled && d.radio[choice]->isChecked()) {
        for (QRadioButton* other : d.radio) {
            if (other->isEnabled()) {
                other->setChecked(true);
                break;
            }
        }
    }
}

bool CDialogAssistant::IsChoiceEnabled(EChoice choice) const
{
    return choice >= 0 && choice < kChoiceCount && m_impl->radio[choice]->isEnabled();
}

std::string CDialogAssistant::GetFileName() const
{
    return CHostText::ToHostPath(m_impl->ui.comboFile->currentText().trimmed());
}

void CDialogAssistant::SetFileName(const std::string& utf8Path)
{
    m_impl->ui.comboFile->setEditText(CHostText::FromHostPath(utf8Path));
}

bool CDialogAssistant::GetShowAtStart() const
{
    return m_impl->showAtStart;
}

void CDialogAssistant::BrowseFile()
{
    SFileDialogRequest request;
    request.title = "開く";
    request.filter = kFileFilter;
    request.defaultExtension = "anx";
    request.proposedName = GetFileName();
    request.flags = SFileDialogRequest::Explorer | SFileDialogRequest::FileMustExist |
                    SFileDialogRequest::HideReadOnly;
    std::string path;
    if (!CHostServices::Get().GetOpenFileName(request, path) || path.empty())
        return;
    SetFileName(path);
    m_impl->ui.radioOpen->setChecked(true);
}

void CDialogAssistant::accept()
{
    SImpl& d = *m_impl;
    if (GetChoice() == ChoiceOpenFile && GetFileName().empty()) {
        CHostServices::Get().MessageBox(kNoFileMessage, CHostServices::IconWarning);
        d.ui.comboFile->setFocus();
        return;
    }
    const bool dontShow = d.ui.checkDontShow->isChecked();
    if (dontShow == d.showAtStart) {
        d.showAtStart = !dontShow;
        CSettings::Get().SetAssistantDisp(d.showAtStart);
    }
    QDialog::accept();
}
