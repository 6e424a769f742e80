// The Colors and Fonts dialogs of the five plots (plate plot, orbit view,
// track view, histogram, distribution): a list of the plot's colour items
// with a "..." button that opens the colour dialog for the selected item,
// and a "..." button per font that opens the font dialog.
//
// The owner hands its colours and fonts in as the result colours and fonts,
// runs the dialog, and takes them back only after OK:
//
//     CPlateColorsDlg dlg;
//     for (int i = 0; i < 8; ++i) dlg.model().resultColors[i] = colors[i];
//     dlg.model().resultFonts[0] = infoFont;
//     dlg.model().resultFonts[1] = labelFont;
//     if (dlg.doModal() == fw::kIdOk) { ...copy back... }
//
// Within one run the colour dialog starts from the item's colour as it was
// handed in, and its choice goes into the working colours, which OK makes
// the result; a font dialog starts from the working font and its choice
// becomes the result font at once. Each dialog class keeps its own 16
// custom colours for the rest of the run (white at start, never saved).
#pragma once

#include <QWidget>
#include <vector>

#include "framework/choosers.h"
#include "framework/dialog.h"

class QComboBox;
class QPushButton;

namespace zelvo {

struct ColorsFontsLayout {
    struct FontButton {
        int id;
        const char* label;
    };
    int resourceId;
    const char* caption;
    std::vector<const char*> items;  // colour items, in the owner's order
    int listId;
    int colorButtonId;
    std::vector<FontButton> fonts;
    unsigned helpContext;
    int colorSlots;  // result and working colours held (10, or 8 for the plate plot)
    bool trueTypeOnly;
};

const ColorsFontsLayout& plateColorsLayout();  // 122
const ColorsFontsLayout& orbitColorsLayout();  // 123
const ColorsFontsLayout& traceColorsLayout();  // 121
const ColorsFontsLayout& histColorsLayout();   // 179
const ColorsFontsLayout& distColorsLayout();   // 180

// What one dialog holds and does, without widgets.
class ColorsFonts {
public:
    ColorsFonts(const ColorsFontsLayout& shape, fw::CustomColors& customColors);

    const ColorsFontsLayout& shape() const { return shape_; }
    std::vector<fw::Colorref> resultColors;  // shape().colorSlots entries
    std::vector<fw::Colorref> workingColors;
    std::vector<fw::LogFont> workingFonts;  // one per font button
    std::vector<fw::LogFont> resultFonts;
    int currentItem = 0;

    // The dialog opens: item 0, working colours and fonts from the results.
    void initDialog();
    // The list's selection changed.
    void selectItem(int index);
    // The colour button: the colour dialog for the current item.
    void chooseColor();
    // Font button which.
    void chooseFont(int which);
    // OK: the working colours become the results.
    void ok();

private:
    const ColorsFontsLayout& shape_;
    fw::CustomColors& custom_;
};

class CColorsFontsDlg : public fw::Dialog {
public:
    ColorsFonts& model() { return model_; }
    QComboBox* itemList() const { return list_; }
    QPushButton* colorButton() const { return colorButton_; }
    QPushButton* fontButton(int which) const { return fontButtons_[static_cast<std::size_t>(which)]; }

    bool onInitDialog() override;
    void onOK() override;

protected:
    CColorsFontsDlg(const ColorsFontsLayout& shape, fw::CustomColors& customColors, QWidget* parent);

private:
    ColorsFonts model_;
    QComboBox* list_ = nullptr;
    QPushButton* colorButton_ = nullptr;
    std::vector<QPushButton*> fontButtons_;
};

// Dialog 122 "Plate: Colors and Fonts": eight colours, the information and
// the coordinate-label fonts (TrueType fixed-pitch fonts only).
class CPlateColorsDlg final : public CColorsFontsDlg {
public:
    explicit CPlateColorsDlg(QWidget* parent = nullptr);
    static fw::CustomColors CustomColors;
};

// Dialog 123 "Orbit: Colors and Fonts": ten colours and one font.
class COrbitColorsDlg final : public CColorsFontsDlg {
public:
    explicit COrbitColorsDlg(QWidget* parent = nullptr);
    static fw::CustomColors CustomColors;
};

// Dialog 121 "Trace: Colors and Fonts": ten colours and one font.
class CTraceColorsDlg final : public CColorsFontsDlg {
public:
    explicit CTraceColorsDlg(QWidget* parent = nullptr);
    static fw::CustomColors CustomColors;
};

// Dialog 179 "Histogram: Colors and Fonts": five colours and one font.
class CElHistColorsDlg final : public CColorsFontsDlg {
public:
    explicit CElHistColorsDlg(QWidget* parent = nullptr);
    static fw::CustomColors CustomColors;
};

// Dialog 180 "Distribution: Colors and Fonts": five colours and one font.
class CElDistColorsDlg final : public CColorsFontsDlg {
public:
    explicit CElDistColorsDlg(QWidget* parent = nullptr);
    static fw::CustomColors CustomColors;
};

}  // namespace zelvo
