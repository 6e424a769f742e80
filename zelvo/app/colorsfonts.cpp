#include "zelvo/app/colorsfonts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/linelist.h"
#include "zelvo/app/helpcontexts.h"

namespace zelvo {

namespace {
fw::CustomColors allWhite() {
    fw::CustomColors c;
    c.fill(0xFFFFFF);
    return c;
}
}  // namespace

const ColorsFontsLayout& plateColorsLayout() {
    static const ColorsFontsLayout s{
        122,
        "Plate: Colors and Fonts",
        {"Background", "Sky", "Text", "Border lines", "Objects", "Motion", "Coord markers", "Coordination net"},
        1313,
        1312,
        {{1314, "Choose font for information"}, {1315, "Choose font for coord. labels"}},
        help::kPlateColors,
        8,
        true};
    return s;
}

const ColorsFontsLayout& orbitColorsLayout() {
    static const ColorsFontsLayout s{123,
                                     "Orbit: Colors and Fonts",
                                     {"Background", "Text", "Line", "Sun", "1st big planet", "2nd big planet",
                                      "3rd big planet", "1st object", "2nd object", "3rd object"},
                                     1319,
                                     1316,
                                     {{1322, "Choose Font(push the button)"}},
                                     help::kOrbitColors,
                                     10,
                                     false};
    return s;
}

const ColorsFontsLayout& traceColorsLayout() {
    static const ColorsFontsLayout s{121,
                                     "Trace: Colors and Fonts",
                                     {"Background", "Sky", "Text", "Line", "Sun", "Moon light", "Moon dark",
                                      "1st object", "2nd object", "3rd object"},
                                     1111,
                                     1109,
                                     {{1110, "Choose Font(push the button)"}},
                                     help::kTraceColors,
                                     10,
                                     false};
    return s;
}

const ColorsFontsLayout& histColorsLayout() {
    static const ColorsFontsLayout s{179,
                                     "Histogram: Colors and Fonts",
                                     {"Background", "Text", "Line", "1st column", "2nd column"},
                                     1320,
                                     1317,
                                     {{1323, "Choose Font(push the button)"}},
                                     help::kHistColors,
                                     10,
                                     false};
    return s;
}

const ColorsFontsLayout& distColorsLayout() {
    static const ColorsFontsLayout s{180,
                                     "Distribution: Colors and Fonts",
                                     {"Background", "Text", "Line", "Field", "Dots"},
                                     1321,
                                     1318,
                                     {{1324, "Choose Font(push the button)"}},
                                     help::kDistColors,
                                     10,
                                     false};
    return s;
}

// The model --------------------------------------------------------------------

ColorsFonts::ColorsFonts(const ColorsFontsLayout& shape, fw::CustomColors& customColors)
    : resultColors(static_cast<std::size_t>(shape.colorSlots), 0),
      workingColors(static_cast<std::size_t>(shape.colorSlots), 0),
      workingFonts(shape.fonts.size(), fw::LogFont::make(0, 0, "Courier New")),
      resultFonts(shape.fonts.size(), fw::LogFont::make(0, 0, "Courier New")),
      shape_(shape),
      custom_(customColors) {}

void ColorsFonts::initDialog() {
    currentItem = 0;
    // The slots that the dialog works on: as many as its list shows items
    // for the histogram's five, all of them otherwise.
    const std::size_t n = shape_.resourceId == 179 ? shape_.items.size() : resultColors.size();
    std::copy_n(resultColors.begin(), n, workingColors.begin());
    workingFonts = resultFonts;
}

void ColorsFonts::selectItem(int index) {
    if (index >= 0 && index < static_cast<int>(shape_.items.size())) currentItem = index;
}

void ColorsFonts::chooseColor() {
    const auto i = static_cast<std::size_t>(currentItem);
    // The chooser opens on the item's colour as the dialog holds it now: a
    // colour chosen before in this dialog, not the one it started with.
    if (const std::optional<fw::Colorref> c = fw::colorChooser().choose(workingColors[i], custom_))
        workingColors[i] = *c;
}

void ColorsFonts::chooseFont(int which) {
    const auto i = static_cast<std::size_t>(which);
    if (i >= workingFonts.size()) return;
    if (fw::fontChooser().choose(workingFonts[i], {true, shape_.trueTypeOnly})) resultFonts[i] = workingFonts[i];
}

void ColorsFonts::ok() {
    const std::size_t n = shape_.resourceId == 179 ? shape_.items.size() : resultColors.size();
    std::copy_n(workingColors.begin(), n, resultColors.begin());
}

// The dialog ---------------------------------------------------------------------

CColorsFontsDlg::CColorsFontsDlg(const ColorsFontsLayout& shape, fw::CustomColors& customColors, QWidget* parent)
    : fw::Dialog(parent, shape.helpContext), model_(shape, customColors) {
    setWindowTitle(QString::fromLatin1(shape.caption));
    setFont(fw::fixed_font(13));
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(QStringLiteral("Choose a parameter in the drop-down list and push button to change it"));
    hint->setWordWrap(true);
    layout->addWidget(hint);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Color for")), 0, 0);
    list_ = new QComboBox;
    list_->setObjectName(QStringLiteral("list%1").arg(shape.listId));
    for (const char* item : shape.items) list_->addItem(QString::fromLatin1(item));
    list_->setMaxVisibleItems(static_cast<int>(shape.items.size()));
    grid->addWidget(list_, 0, 1);
    colorButton_ = new QPushButton(QStringLiteral("..."));
    colorButton_->setObjectName(QStringLiteral("button%1").arg(shape.colorButtonId));
    colorButton_->setAutoDefault(false);
    grid->addWidget(colorButton_, 0, 2);
    int row = 1;
    for (std::size_t i = 0; i < shape.fonts.size(); ++i, ++row) {
        grid->addWidget(new QLabel(QString::fromLatin1(shape.fonts[i].label)), row, 0, 1, 2);
        auto* b = new QPushButton(QStringLiteral("..."));
        b->setObjectName(QStringLiteral("button%1").arg(shape.fonts[i].id));
        b->setAutoDefault(false);
        grid->addWidget(b, row, 2);
        fontButtons_.push_back(b);
        QObject::connect(b, &QPushButton::clicked, this, [this, i] { model_.chooseFont(static_cast<int>(i)); });
    }
    layout->addLayout(grid);
    layout->addWidget(fw::ok_cancel_buttons(this));
    QObject::connect(list_, &QComboBox::currentIndexChanged, this, [this](int i) { model_.selectItem(i); });
    QObject::connect(colorButton_, &QPushButton::clicked, this, [this] { model_.chooseColor(); });
}

bool CColorsFontsDlg::onInitDialog() {
    fw::Dialog::onInitDialog();
    model_.initDialog();
    list_->setCurrentIndex(0);
    return true;
}

void CColorsFontsDlg::onOK() {
    model_.ok();
    fw::Dialog::onOK();
}

fw::CustomColors CPlateColorsDlg::CustomColors = allWhite();
fw::CustomColors COrbitColorsDlg::CustomColors = allWhite();
fw::CustomColors CTraceColorsDlg::CustomColors = allWhite();
fw::CustomColors CElHistColorsDlg::CustomColors = allWhite();
fw::CustomColors CElDistColorsDlg::CustomColors = allWhite();

CPlateColorsDlg::CPlateColorsDlg(QWidget* parent) : CColorsFontsDlg(plateColorsLayout(), CustomColors, parent) {}
COrbitColorsDlg::COrbitColorsDlg(QWidget* parent) : CColorsFontsDlg(orbitColorsLayout(), CustomColors, parent) {}
CTraceColorsDlg::CTraceColorsDlg(QWidget* parent) : CColorsFontsDlg(traceColorsLayout(), CustomColors, parent) {}
CElHistColorsDlg::CElHistColorsDlg(QWidget* parent) : CColorsFontsDlg(histColorsLayout(), CustomColors, parent) {}
CElDistColorsDlg::CElDistColorsDlg(QWidget* parent) : CColorsFontsDlg(distColorsLayout(), CustomColors, parent) {}

}  // namespace zelvo
