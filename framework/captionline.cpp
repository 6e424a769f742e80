#include "captionline.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>

#include "linelist.h"

namespace fw {

QFont EditorColumns::columnFont() const { return text_ != nullptr ? text_->font() : plain_->font(); }

QWidget* EditorColumns::columnWidget() const { return text_ != nullptr ? text_->viewport() : plain_->viewport(); }

int EditorColumns::columnOrigin() const {
    // The caret before the first character stands where that character
    // begins: the editor's frame, margins and scrolling are all in it.
    if (text_ != nullptr) return text_->cursorRect(QTextCursor(text_->document())).left();
    return plain_->cursorRect(QTextCursor(plain_->document())).left();
}

QAbstractScrollArea* EditorColumns::columnScroller() const {
    return text_ != nullptr ? static_cast<QAbstractScrollArea*>(text_) : plain_;
}

CaptionLine::CaptionLine(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setFont(list_font());
}

void CaptionLine::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

void CaptionLine::follow(const TextColumns* columns) {
    columns_ = columns;
    if (columns_ != nullptr) {
        setFont(columns_->columnFont());
        if (QAbstractScrollArea* s = columns_->columnScroller())
            QObject::connect(s->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { update(); });
    }
    updateGeometry();
    update();
}

QFont CaptionLine::lineFont() const { return columns_ != nullptr ? columns_->columnFont() : font(); }

int CaptionLine::columnX(int c) const {
    const QFontMetrics fm(lineFont());
    int origin = kListTextMargin;
    if (columns_ != nullptr)
        if (const QWidget* w = columns_->columnWidget())
            origin = mapFromGlobal(w->mapToGlobal(QPoint(columns_->columnOrigin(), 0))).x();
    return origin + fm.horizontalAdvance(text_.left(c));
}

QSize CaptionLine::sizeHint() const {
    const QFontMetrics fm(lineFont());
    return {fm.horizontalAdvance(text_) + 2 * kListTextMargin, fm.height() + 2};
}

QSize CaptionLine::minimumSizeHint() const { return {0, sizeHint().height()}; }

void CaptionLine::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFont f = lineFont();
    p.setFont(f);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QPoint(columnX(0), 1 + QFontMetrics(f).ascent()), text_);
}

}  // namespace fw
