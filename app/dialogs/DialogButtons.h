#pragma once

class QDialogButtonBox;

// The standard buttons of the dialogs carry the program's own Japanese
// texts, whatever translations the toolkit has installed.
class CDialogButtons
{
public:
    static void Localize(QDialogButtonBox* box);
};
