// ZelvoPad: the plain-text editor of the workbench, for the input files of
// the main program, which starts it with a file's path as its argument. It
// also runs by itself.
#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSettings>

#include "framework/messages.h"
#include "framework/qtmessages.h"
#include "padwindow.h"

namespace {

// A sheet of paper with lines of text.
QIcon program_icon() {
    QIcon icon;
    for (const int size : {16, 32, 48}) {
        QPixmap pix(size, size);
        pix.fill(Qt::transparent);
        QPainter p(&pix);
        p.setRenderHint(QPainter::Antialiasing);
        const double s = size / 16.0;
        p.setPen(QPen(QColor(60, 60, 60), s * 0.6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5 * s, 0.5 * s, 11 * s, 15 * s));
        p.setPen(QPen(QColor(30, 70, 160), s * 0.9));
        for (int i = 0; i < 5; ++i) {
            const double y = (3.5 + 2.4 * i) * s;
            p.drawLine(QPointF(4.5 * s, y), QPointF((i % 2 == 0 ? 11.5 : 9.5) * s, y));
        }
        icon.addPixmap(pix);
    }
    return icon;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Zelvo"));
    QApplication::setApplicationName(QStringLiteral("ZelvoPad"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.1"));
    QApplication::setWindowIcon(program_icon());
    fw::setMessageTitle("ZelvoPad");
    fw::QtMessageService boxes;
    fw::setMessageService(&boxes);

    QSettings settings;
    zpad::PadWindow window(settings);
    const QString file = zpad::file_argument(QApplication::arguments().mid(1));
    // A file that cannot be opened has been reported; the editor then ends.
    if (!file.isEmpty() && !window.loadFile(file)) return 1;
    window.show();
    return QApplication::exec();
}
