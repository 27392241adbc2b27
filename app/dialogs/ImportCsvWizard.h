#pragma once

#include "WizardSheet.h"

#include <functional>
#include <string>

class CImportCSV;

// The CSV import wizard: the CSV file (classified on Next), the library file
// to write (converted on Next), and the end page that can add the new
// library to the chronology as a column.
class CImportCsvWizard : public CWizardSheet
{
    Q_OBJECT

public:
    enum EPage : int
    {
        PAGE_INPUT = 1,
        PAGE_OUTPUT = 2,
        PAGE_END = 3,
    };
    // Adds the library file of a kind (EHeaderType) at a path as a column.
    using AddLibrary = std::function<bool(int kind, const std::string& path)>;

    CImportCsvWizard(CImportCSV& import, AddLibrary addLibrary, QWidget* parent = nullptr);

    // Finish with "このライブラリを画面に追加する" checked adds the library.
    void accept() override;

private:
    CImportCSV& m_import;
    AddLibrary m_addLibrary;
};
