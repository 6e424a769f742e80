// The system's colour and font dialogs behind interfaces: the program asks
// for a colour (with a table of 16 custom colours that the dialog offers
// and fills) or a font (a logical font that the dialog starts from and
// fills); the Qt implementations show QColorDialog and QFontDialog, tests
// install scripted ones.
#pragma once

#include <array>
#include <deque>
#include <optional>
#include <vector>

#include "gdi.h"

class QFont;

namespace fw {

using CustomColors = std::array<Colorref, 16>;

class ColorChooser {
public:
    virtual ~ColorChooser() = default;
    // The colour chosen, nothing when the dialog was not ended with OK.
    // custom is offered and receives the custom colours defined.
    virtual std::optional<Colorref> choose(Colorref initial, CustomColors& custom) = 0;
};

struct FontChoice {
    bool fixedPitchOnly = false;  // only fixed-pitch fonts are listed
    bool trueTypeOnly = false;    // only scalable outline fonts are listed
};

class FontChooser {
public:
    virtual ~FontChooser() = default;
    // Starts from font; on OK puts the choice into font and returns true.
    virtual bool choose(LogFont& font, const FontChoice& choice) = 0;
};

ColorChooser& colorChooser();
FontChooser& fontChooser();
// Install a chooser (the caller keeps ownership); null puts the Qt one back.
void setColorChooser(ColorChooser* c);
void setFontChooser(FontChooser* c);

class QtColorChooser final : public ColorChooser {
public:
    std::optional<Colorref> choose(Colorref initial, CustomColors& custom) override;
};

class QtFontChooser final : public FontChooser {
public:
    bool choose(LogFont& font, const FontChoice& choice) override;
};

// For tests: records each request and answers from a queue (Cancel when it
// is empty). An answer may also define custom colours.
class ScriptedColorChooser final : public ColorChooser {
public:
    struct Asked {
        Colorref initial;
        CustomColors custom;
    };
    struct Answer {
        std::optional<Colorref> color;
        std::vector<std::pair<int, Colorref>> defineCustom;
    };
    std::vector<Asked> asked;
    std::deque<Answer> answers;
    std::optional<Colorref> choose(Colorref initial, CustomColors& custom) override;
};

class ScriptedFontChooser final : public FontChooser {
public:
    struct Asked {
        LogFont font;
        FontChoice choice;
    };
    std::vector<Asked> asked;
    std::deque<std::optional<LogFont>> answers;
    bool choose(LogFont& font, const FontChoice& choice) override;
};

// The logical font of a chosen Qt font as the original platform's font
// dialog fills it (fixed pitch: the family and precision fields of its
// fixed-pitch fonts); fields the dialog does not offer come from base.
LogFont logfont_of(const QFont& font, const LogFont& base);
// The Qt font that shows a logical font at the screen's resolution.
QFont qfont_of(const LogFont& font);

}  // namespace fw
