#pragma once

#include "WizardSheet.h"

class CAnnaluxDoc;
class CExportCSV;
class IDisplayedLayout;

// The CSV export wizard. Its first page chooses between one CSV file per
// library (a column's library or a library file: pages 2, 5, 3) and the
// table as the view shows it (pages 6, 7); both end on page 4, which runs
// the export.
class CExportCsvWizard : public CWizardSheet
{
    Q_OBJECT

public:
    enum EPage : int
    {
        PAGE_SELECT = 1,
        PAGE_LIBRARY = 2,
        PAGE_OUTPUT = 3,
        PAGE_END = 4,
        PAGE_INPUT_FILE = 5,
        PAGE_IMAGE_TYPE = 6,
        PAGE_IMAGE_OUTPUT = 7,
    };

    // layout: the view's layout, read by the screen-image export (may be
    // null when there is no event library).
    CExportCsvWizard(CAnnaluxDoc& doc, CExportCSV& exporter, IDisplayedLayout* layout,
                     QWidget* parent = nullptr);

    // Resource paths of the pictures the pages show for each choice.
    static QString PicturePath(int page, bool firstChoice);
};
