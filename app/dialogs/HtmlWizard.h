#pragma once

#include "WizardSheet.h"

class CExportHTML;
class IDisplayedLayout;

// The HTML export wizard: the output file and whether to limit the years,
// the year range, the confirmation (which writes the page on Next), and the
// end page that shows where it went.
class CHtmlWizard : public CWizardSheet
{
    Q_OBJECT

public:
    CHtmlWizard(CExportHTML& exporter, IDisplayedLayout& layout, QWidget* parent = nullptr);
};
