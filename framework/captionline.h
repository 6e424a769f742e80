// Caption lines over fixed-column text: the lines of a caption bar above a
// line list, the title and masks above a line editor. A caption line draws
// its text in the font of the text below it and from the screen position of
// that text's first character column, following it as it scrolls, so that
// every caption stands over its column at any window size.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

class QAbstractScrollArea;
class QPlainTextEdit;
class QTextEdit;

namespace fw {

// Where the character columns of a fixed-pitch text lie on screen.
class TextColumns {
public:
    virtual ~TextColumns() = default;
    // The font of the text (fixed pitch: column c starts c advances right
    // of column 0).
    virtual QFont columnFont() const = 0;
    // The widget in whose coordinates columnOrigin() is given; null while
    // the text has no widget.
    virtual QWidget* columnWidget() const = 0;
    // The x of the left edge of column 0 in columnWidget(), its horizontal
    // scrolling included.
    virtual int columnOrigin() const = 0;
    // The scroll area whose horizontal scrolling moves the columns; null
    // when nothing scrolls them.
    virtual QAbstractScrollArea* columnScroller() const { return nullptr; }
};

// The columns of the first line of a text editor (a one-line editor such as
// the String Editor's).
class EditorColumns final : public TextColumns {
public:
    explicit EditorColumns(QTextEdit* edit) : text_(edit) {}
    explicit EditorColumns(QPlainTextEdit* edit) : plain_(edit) {}

    QFont columnFont() const override;
    QWidget* columnWidget() const override;
    int columnOrigin() const override;
    QAbstractScrollArea* columnScroller() const override;

private:
    QTextEdit* text_ = nullptr;
    QPlainTextEdit* plain_ = nullptr;
};

class CaptionLine final : public QWidget {
public:
    explicit CaptionLine(const QString& text = QString(), QWidget* parent = nullptr);

    const QString& text() const { return text_; }
    void setText(const QString& text);

    // Stands over columns (null: over its own left edge, in the list font).
    // The caller keeps columns alive as long as this line.
    void follow(const TextColumns* columns);
    const TextColumns* columns() const { return columns_; }
    // The font the line draws with.
    QFont lineFont() const;
    // The x of the left edge of character column c in this widget.
    int columnX(int c) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    const TextColumns* columns_ = nullptr;
};

}  // namespace fw
