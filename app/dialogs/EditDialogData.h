#pragma once

#include <functional>

class CDialogSetLink;
class QWidget;

// Mix-in of the editors whose text fields may carry link markup
// (<A HREF="target">name</A>): the "リンク設定..." step.
class CEditDialogData
{
public:
    virtual ~CEditDialogData();

    // The link step on a QLineEdit, QPlainTextEdit or QTextEdit. With the
    // cursor inside a link, the link dialog shows that link and OK replaces
    // its whole markup; otherwise the selected text is offered as the name
    // and OK replaces the selection. The replacement is one undoable edit.
    // True when the field was changed.
    static bool RunLinkStep(QWidget* edit);

    // Runs the link dialog instead of exec(): it may fill the fields and
    // must return the dialog's result (QDialog::Accepted to insert). Tests
    // use it to answer the modal dialog; null restores exec().
    using LinkDialogRunner = std::function<int(CDialogSetLink&)>;
    static void SetLinkDialogRunnerForTesting(LinkDialogRunner runner);

protected:
    // For the editors' "リンク設定..." buttons.
    bool SetLink(QWidget* edit) { return RunLinkStep(edit); }
};
