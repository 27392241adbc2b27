#include "AboutDlg.h"
#include "DialogAssistant.h"
#include "DialogFontSet.h"
#include "DialogHeaderSelect.h"
#include "DialogSetColors.h"
#include "DialogSetRow.h"
#include "DialogYearRange.h"
#include "FontChooser.h"

#include "DialogTestEnv.h"
#include "HeaderManager.h"
#include "Sjis.h"
#include "YearEvent.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>
#include <functional>
#include <memory>

// Every dialog at its natural size must show its texts whole. Setting
// ANNALUX_SCREENSHOT_DIR also saves a picture of each dialog there.

namespace {

struct SDialogCase
{
    const char* name;
    std::function<std::unique_ptr<QDialog>(CAnnaluxDoc&, CHeaderManager&)> make;
};

const SDialogCase kDialogs[] = {
    {"fontset",
     [](CAnnaluxDoc& d, CHeaderManager&) { return std::make_unique<CDialogFontSet>(&d); }},
    {"colors",
     [](CAnnaluxDoc& d, CHeaderManager&) { return std::make_unique<CDialogSetColors>(&d); }},
    {"setrow", [](CAnnaluxDoc& d, CHeaderManager&) { return std::make_unique<CDialogSetRow>(&d); }},
    {"headerselect",
     [](CAnnaluxDoc&, CHeaderManager& c) { return std::make_unique<CDialogHeaderSelect>(c); }},
    {"yearrange",
     [](CAnnaluxDoc& d, CHeaderManager&) { return std::make_unique<CDialogYearRange>(&d); }},
    {"assistant",
     [](CAnnaluxDoc&, CHeaderManager&) {
         return std::make_unique<CDialogAssistant>(
             QStringList{"/home/user/年表/日本史と世界史.anx", "/home/user/b.anx"}, true);
     }},
    {"about", [](CAnnaluxDoc&, CHeaderManager&) { return std::make_unique<CAboutDlg>(); }},
    {"fontchooser",
     [](CAnnaluxDoc&, CHeaderManager&) {
         return std::make_unique<CFontChooser>(QFont("IPAPGothic", 12), QColor(Qt::red), true);
     }},
    {"headerfontchooser",
     [](CAnnaluxDoc&, CHeaderManager&) {
         return std::make_unique<CFontChooser>(QFont("IPAPGothic", 12), QColor(), false);
     }},
};

class DialogLayoutTest : public DialogTest, public ::testing::WithParamInterface<SDialogCase>
{
};

} // namespace

TEST_P(DialogLayoutTest, TextsAreNotCutAtTheNaturalSize)
{
    CYearEvent events;
    events.SetTableName(Sjis("日本史年表"));
    CHeaderManager columns;
    columns.Append(CK_YEAR, nullptr, -1, 50);
    columns.Append(CK_EVENT, &events, -1, 500);

    std::unique_ptr<QDialog> dialog = GetParam().make(*m_doc, columns);
    dialog->show();
    QApplication::processEvents();
    EXPECT_FALSE(dialog->windowTitle().isEmpty());
    EXPECT_GE(dialog->width(), dialog->minimumSizeHint().width());
    EXPECT_GE(dialog->height(), dialog->minimumSizeHint().height());

    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(dialog.get()) || label->text().isEmpty() || label->wordWrap())
            continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        EXPECT_GE(label->contentsRect().width(), needed) << label->objectName().toStdString();
    }
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(dialog.get()) || button->text().isEmpty())
            continue;
        EXPECT_GE(button->width(), button->sizeHint().width())
            << button->objectName().toStdString();
        EXPECT_GE(button->height(), button->sizeHint().height())
            << button->objectName().toStdString();
    }

    if (const char* dir = std::getenv("ANNALUX_SCREENSHOT_DIR")) {
        const QString path = QString::fromUtf8(dir) + "/" + GetParam().name + ".png";
        EXPECT_TRUE(dialog->grab().save(path));
    }
}

INSTANTIATE_TEST_SUITE_P(AllDialogs, DialogLayoutTest, ::testing::ValuesIn(kDialogs),
                         [](const ::testing::TestParamInfo<SDialogCase>& info) {
                             return std::string(info.param.name);
                         });
