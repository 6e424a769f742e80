#include "childframe.h"

#include <QCloseEvent>
#include <QFrame>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "captionline.h"
#include "cp1252.h"
#include "doctemplate.h"
#include "document.h"
#include "linelist.h"
#include "mainframe.h"
#include "view.h"

namespace fw {

ChildFrame::ChildFrame() {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
}

ChildFrame::~ChildFrame() {
    if (QMdiArea* area = mdiArea())
        if (auto* main = dynamic_cast<MainFrame*>(area->window())) main->childFrameGoing(this);
    // The widgets go first: they show the document's data.
    delete widget();
    if (document_ && document_->docTemplate() != nullptr) document_->docTemplate()->removeDocument(document_.get());
}

bool ChildFrame::create(std::unique_ptr<Document> document, std::unique_ptr<View> view) {
    document_ = std::move(document);
    view_ = std::move(view);
    bars_ = barLayouts();

    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const BarLayout& b : bars_)
        if (b.dock == Dock::Top) layout->addWidget(makeBar(b));
    view_->attach(document_.get(), this);
    QWidget* w = view_->createWidget(client);
    if (w == nullptr) return false;
    layout->addWidget(w, 1);
    for (const BarLayout& b : bars_)
        if (b.dock == Dock::Bottom) layout->addWidget(makeBar(b));
    // Captions stand over the view's columns where the view tells where
    // they lie.
    if (const auto* columns = dynamic_cast<const TextColumns*>(view_.get()))
        for (auto& [id, c] : controls_)
            if (auto* line = dynamic_cast<CaptionLine*>(c)) line->follow(columns);
    setWidget(client);
    setWindowTitle(QString::fromStdString(document_->title()));
    view_->onInitialUpdate();
    w->setFocus();
    return true;
}

QWidget* ChildFrame::makeBar(const BarLayout& desc) {
    const QFont font = list_font();
    auto* bar = new QFrame;
    bar->setObjectName(QStringLiteral("bar%1").arg(desc.id));
    bar->setFrameShape(QFrame::NoFrame);
    auto* lay = new QVBoxLayout(bar);
    lay->setContentsMargins(2, 1, 2, 1);
    lay->setSpacing(0);
    if (desc.dock == Dock::Bottom) {
        auto* line = new QFrame;
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        lay->addWidget(line);
    }
    bool first = true;
    for (const BarControl& c : desc.controls) {
        QWidget* w = nullptr;
        if (desc.kind == BarLayout::Kind::Header) {
            auto* edit = new QPlainTextEdit;
            edit->setReadOnly(true);
            edit->setFont(font);
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            edit->setPlainText(fromCp1252(c.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            const int lines = 2;
            edit->setFixedHeight(QFontMetrics(font).lineSpacing() * lines + 10);
            edit->setFrameShape(QFrame::NoFrame);
            w = edit;
        } else {
            if (!first) {
                auto* sep = new QFrame;
                sep->setFrameShape(QFrame::HLine);
                sep->setFrameShadow(QFrame::Sunken);
                lay->addWidget(sep);
            }
            w = new CaptionLine(fromCp1252(c.text));
        }
        w->setObjectName(QStringLiteral("ctl%1").arg(c.id));
        lay->addWidget(w);
        controls_.emplace_back(c.id, w);
        first = false;
    }
    if (desc.dock == Dock::Top) {
        auto* line = new QFrame;
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        lay->addWidget(line);
    }
    if (desc.disabled) bar->setFocusPolicy(Qt::NoFocus);
    for (auto& [id, w] : controls_)
        if (desc.disabled && w->parent() == bar) w->setFocusPolicy(Qt::NoFocus);
    barWidgets_.emplace_back(desc.id, bar);
    return bar;
}

void ChildFrame::closeEvent(QCloseEvent* event) {
    if ((view_ && !view_->canClose()) || !onCloseRequest() || (document_ && !document_->saveModified())) {
        event->ignore();
        return;
    }
    // The window beneath this one (the one active before it) takes its
    // place when it was the active one, whatever the order of opening.
    QMdiSubWindow* beneath = nullptr;
    if (QMdiArea* area = mdiArea(); area != nullptr && area->activeSubWindow() == this) {
        const QList<QMdiSubWindow*> history = area->subWindowList(QMdiArea::ActivationHistoryOrder);
        for (auto it = history.rbegin(); it != history.rend() && beneath == nullptr; ++it) {
            auto* f = dynamic_cast<ChildFrame*>(*it);
            if (*it != this && (f == nullptr || !f->closing())) beneath = *it;
        }
    }
    // Set before the area activates another window, so that the titles and
    // panes that follow no longer count this one.
    closing_ = true;
    QMdiArea* area = mdiArea();
    QMdiSubWindow::closeEvent(event);
    closing_ = event->isAccepted();
    if (!closing_) return;
    if (beneath != nullptr && area != nullptr && area->subWindowList().contains(beneath))
        area->setActiveSubWindow(beneath);
    onFrameClosed();
}

std::string ChildFrame::baseTitle() const { return document_ ? document_->title() : std::string(); }

QString ChildFrame::controlText(int controlId) const {
    for (const auto& [id, w] : controls_) {
        if (id != controlId) continue;
        if (auto* l = dynamic_cast<CaptionLine*>(w)) return l->text();
        if (auto* e = qobject_cast<QPlainTextEdit*>(w)) return e->toPlainText();
    }
    return {};
}

void ChildFrame::setControlText(int controlId, const std::string& text) {
    for (auto& [id, w] : controls_) {
        if (id != controlId) continue;
        if (auto* l = dynamic_cast<CaptionLine*>(w)) l->setText(fromCp1252(text));
        if (auto* e = qobject_cast<QPlainTextEdit*>(w))
            e->setPlainText(fromCp1252(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
    for (BarLayout& b : bars_)
        for (BarControl& c : b.controls)
            if (c.id == controlId) c.text = text;
}

QWidget* ChildFrame::barWidget(int barId) const {
    for (const auto& [id, w] : barWidgets_)
        if (id == barId) return w;
    return nullptr;
}

}  // namespace fw
