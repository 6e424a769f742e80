#include "choosers.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <cmath>

#include "gdifont.h"

namespace fw {

namespace {
QtColorChooser& qt_color() {
    static QtColorChooser c;
    return c;
}
QtFontChooser& qt_font() {
    static QtFontChooser c;
    return c;
}
ColorChooser*& color_slot() {
    static ColorChooser* c = nullptr;
    return c;
}
FontChooser*& font_slot() {
    static FontChooser* c = nullptr;
    return c;
}
double screen_dpi() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s != nullptr ? s->logicalDotsPerInchY() : 96.0;
}
}  // namespace

ColorChooser& colorChooser() { return color_slot() != nullptr ? *color_slot() : qt_color(); }
FontChooser& fontChooser() { return font_slot() != nullptr ? *font_slot() : qt_font(); }
void setColorChooser(ColorChooser* c) { color_slot() = c; }
void setFontChooser(FontChooser* c) { font_slot() = c; }

std::optional<Colorref> QtColorChooser::choose(Colorref initial, CustomColors& custom) {
    // The toolkit keeps one table for all colour dialogs: the caller's table
    // goes in before and comes back after.
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, QColor(red_of(custom[i]), green_of(custom[i]), blue_of(custom[i])));
    QColorDialog dlg(QColor(red_of(initial), green_of(initial), blue_of(initial)));
    dlg.setOption(QColorDialog::DontUseNativeDialog);
    const bool ok = dlg.exec() == QDialog::Accepted;
    for (int i = 0; i < 16; ++i) {
        const QColor c = QColorDialog::customColor(i);
        custom[i] = rgb(c.red(), c.green(), c.blue());
    }
    if (!ok) return std::nullopt;
    const QColor c = dlg.selectedColor();
    return rgb(c.red(), c.green(), c.blue());
}

QFont qfont_of(const LogFont& lf) {
    QFont f(font_family(lf.face()));
    if (lf.height < 0)
        f.setPixelSize(-lf.height);
    else if (lf.height > 0)
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(lf.height * 0.88))));
    f.setWeight(static_cast<QFont::Weight>(std::clamp(lf.weight == 0 ? kFontNormal : lf.weight, 1, 1000)));
    f.setItalic(lf.italic != 0);
    if ((lf.pitchAndFamily & 0x03) == kFixedPitch) f.setFixedPitch(true);
    return f;
}

LogFont logfont_of(const QFont& f, const LogFont& base) {
    LogFont lf = base;
    const int pixels =
        f.pixelSize() > 0 ? f.pixelSize() : static_cast<int>(std::lround(f.pointSizeF() * screen_dpi() / 72.0));
    lf.height = -std::max(1, pixels);
    lf.width = 0;
    lf.escapement = 0;
    lf.orientation = 0;
    lf.weight = f.weight();
    lf.italic = f.italic() ? 1 : 0;
    lf.outPrecision = 3;   // stroke precision
    lf.clipPrecision = 2;  // stroke clipping
    lf.quality = 1;        // draft
    lf.pitchAndFamily = QFontDatabase::isFixedPitch(f.family()) ? 0x31 : 0x22;
    lf.setFace(face_for_family(f.family()));
    return lf;
}

bool QtFontChooser::choose(LogFont& font, const FontChoice& choice) {
    QFontDialog::FontDialogOptions opts = QFontDialog::DontUseNativeDialog;
    if (choice.fixedPitchOnly) opts |= QFontDialog::MonospacedFonts;
    if (choice.trueTypeOnly) opts |= QFontDialog::ScalableFonts;
    // The options first, so that the list of families is built by them.
    QFontDialog dlg;
    dlg.setOptions(opts);
    dlg.setCurrentFont(qfont_of(font));
    // No effects are offered (underline and strike-out stay as they are).
    for (QGroupBox* box : dlg.findChildren<QGroupBox*>())
        if (box->findChild<QCheckBox*>() != nullptr) box->hide();
    // The Sample box shared its row with the hidden effects and would shrink
    // to nothing: it keeps room for a line of the font.
    if (auto* sample = dlg.findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit")))
        sample->setMinimumHeight(72);
    if (dlg.exec() != QDialog::Accepted) return false;
    font = logfont_of(dlg.selectedFont(), font);
    return true;
}

std::optional<Colorref> ScriptedColorChooser::choose(Colorref initial, CustomColors& custom) {
    asked.push_back({initial, custom});
    if (answers.empty()) return std::nullopt;
    Answer a = answers.front();
    answers.pop_front();
    for (const auto& [i, c] : a.defineCustom)
        if (i >= 0 && i < 16) custom[static_cast<std::size_t>(i)] = c;
    return a.color;
}

bool ScriptedFontChooser::choose(LogFont& font, const FontChoice& choice) {
    asked.push_back({font, choice});
    if (answers.empty()) return false;
    const std::optional<LogFont> a = answers.front();
    answers.pop_front();
    if (!a) return false;
    font = *a;
    return true;
}

}  // namespace fw
