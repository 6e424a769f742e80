#include "zelvo/app/dialogs.h"

#include <strings.h>

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <cstring>

#include "framework/linelist.h"
#include "framework/messages.h"
#include "zelvo/app/icons.h"

namespace zelvo {

CAboutDlg::CAboutDlg(QWidget* parent) : fw::Dialog(parent) {
    setWindowTitle(QStringLiteral("About Zelvo"));
    auto* icon = new QLabel;
    icon->setPixmap(program_icon().pixmap(48, 48));
    auto* text = new QVBoxLayout;
    for (const char* line : {"ZELVO, Version 2.0", "Astrometry of minor planets and comets",
                             "Ephemerides, O-C, identifications, plates, orbits"}) {
        auto* l = new QLabel(QString::fromUtf8(line));
        l->setFont(fw::fixed_font(13));
        text->addWidget(l);
    }
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addLayout(text);
    auto* all = new QVBoxLayout(this);
    all->addLayout(row);
    all->addWidget(fw::ok_cancel_buttons(this, false));
}

CFieldErrorDlg::CFieldErrorDlg(QWidget* parent) : fw::Dialog(parent) {
    // A title bar with the program's title, as every message box has: a
    // box without one cannot be moved off the field it reports on.
    setWindowTitle(QString::fromStdString(fw::messageTitle()));
    setFont(fw::fixed_font(11));
    auto* layout = new QVBoxLayout(this);
    const int ids[3] = {1053, 1054, 1252};
    for (int i = 0; i < 3; ++i) {
        labels_[i] = new QLabel;
        labels_[i]->setObjectName(QStringLiteral("ctl%1").arg(ids[i]));
        labels_[i]->setTextFormat(Qt::PlainText);
        layout->addWidget(labels_[i]);
    }
    labels_[0]->setWordWrap(true);
    labels_[0]->setMinimumWidth(340);
    layout->addWidget(fw::ok_cancel_buttons(this, false));
}

bool CFieldErrorDlg::onInitDialog() {
    fw::Dialog::onInitDialog();
    labels_[1]->setVisible(!hint1.empty());
    labels_[2]->setVisible(!hint2.empty());
    return true;
}

void CFieldErrorDlg::doDataExchange(fw::DataExchange& dx) {
    fw::ddx_text(dx, labels_[0], message);
    fw::ddx_text(dx, labels_[1], hint1);
    fw::ddx_text(dx, labels_[2], hint2);
}

namespace {
bool& splashEnabled() {
    static bool e = false;
    return e;
}
SplashScreen*& splashWindow() {
    static SplashScreen* w = nullptr;
    return w;
}

// The picture of the splash screen.
QPixmap splashPicture() {
    QPixmap pm(470, 345);
    pm.fill(QColor(12, 20, 48));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 120, 200), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(330, 180), 120, 70);
    p.drawEllipse(QPointF(330, 180), 70, 40);
    p.setBrush(QColor(250, 210, 80));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(310, 180), 9, 9);
    p.setBrush(QColor(200, 200, 220));
    p.drawEllipse(QPointF(449, 186), 4, 4);
    p.setPen(QColor(235, 235, 245));
    QFont title = fw::fixed_font(34);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(24, 30, 430, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ZELVO-21"));
    p.setFont(fw::fixed_font(14));
    p.drawText(QRect(24, 84, 430, 24), Qt::AlignLeft, QStringLiteral("Astrometry of minor planets and comets"));
    p.drawText(QRect(24, 300, 430, 24), Qt::AlignLeft, QStringLiteral("Version 2.0"));
    return pm;
}

// Sees every event of the application while a splash is shown.
class SplashFilter final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override { return SplashScreen::PreTranslateAppMessage(event); }
};
SplashFilter*& splashFilter() {
    static SplashFilter* f = nullptr;
    return f;
}
}  // namespace

void SplashScreen::EnableSplashScreen(bool enable) { splashEnabled() = enable; }
bool SplashScreen::enabled() { return splashEnabled(); }
SplashScreen* SplashScreen::window() { return splashWindow(); }

SplashScreen::SplashScreen(QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(470, 345);
    setCursor(Qt::ArrowCursor);
    placeCentred();
}

void SplashScreen::placeCentred() {
    // The main window is still being laid out (maximised) when the splash
    // appears: its screen, not its geometry of the moment, gives the centre.
    QWidget* owner = parentWidget();
    QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr)
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
}

SplashScreen::~SplashScreen() {
    if (splashWindow() == this) splashWindow() = nullptr;
}

void SplashScreen::paintEvent(QPaintEvent*) {
    static const QPixmap picture = splashPicture();
    QPainter(this).drawPixmap(0, 0, picture);
}

void SplashScreen::ShowSplashScreen(QWidget* mainFrame) {
    if (!splashEnabled() || splashWindow() != nullptr) return;
    auto* s = new SplashScreen(mainFrame);
    splashWindow() = s;
    if (splashFilter() == nullptr && QCoreApplication::instance() != nullptr) {
        splashFilter() = new SplashFilter;
        QCoreApplication::instance()->installEventFilter(splashFilter());
    }
    QTimer::singleShot(1500, s, [] { HideSplashScreen(); });
    s->placeCentred();
    s->show();
    s->repaint();
}

void SplashScreen::HideSplashScreen() {
    SplashScreen* s = splashWindow();
    splashWindow() = nullptr;
    if (s == nullptr) return;
    QWidget* owner = s->parentWidget();
    s->close();
    if (owner != nullptr) owner->update();
}

bool SplashScreen::PreTranslateAppMessage(QEvent* event) {
    // A key reaches the program first as a shortcut test, then as the press:
    // the test closes the splash, and the press that follows is swallowed
    // too.
    static bool swallowKey = false;
    if (event == nullptr) return false;
    if (swallowKey && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        if (event->type() == QEvent::KeyPress) swallowKey = false;
        event->accept();
        return true;
    }
    if (splashWindow() == nullptr) return false;
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            swallowKey = true;
            event->accept();
            HideSplashScreen();
            return true;
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonDblClick:
            HideSplashScreen();
            return true;
        default:
            return false;
    }
}

bool SplashScreen::embeddingSwitch(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (a[0] != '-' && a[0] != '/') continue;
        if (strcasecmp(a + 1, "Embedding") == 0 || strcasecmp(a + 1, "Automation") == 0) return true;
    }
    return false;
}

}  // namespace zelvo
