#include "recentfiles.h"

#include <QSettings>

namespace zpad {

namespace {
const QString kGroup = QStringLiteral("Recent File List");
QString key(qsizetype i) { return QStringLiteral("File%1").arg(i + 1); }
}  // namespace

void RecentFiles::add(const QString& path) {
    files_.removeAll(path);
    files_.prepend(path);
    while (files_.size() > kMax) files_.removeLast();
}

void RecentFiles::remove(const QString& path) { files_.removeAll(path); }

void RecentFiles::load(QSettings& settings) {
    files_.clear();
    settings.beginGroup(kGroup);
    for (qsizetype i = 0; i < kMax; ++i) {
        const QString path = settings.value(key(i)).toString();
        if (!path.isEmpty() && !files_.contains(path)) files_.append(path);
    }
    settings.endGroup();
}

void RecentFiles::save(QSettings& settings) const {
    settings.beginGroup(kGroup);
    for (qsizetype i = 0; i < kMax; ++i) {
        if (i < files_.size())
            settings.setValue(key(i), files_[i]);
        else
            settings.remove(key(i));
    }
    settings.endGroup();
}

QString RecentFiles::menuText(qsizetype index) const {
    QString path = files_.value(index);
    path.replace(u'&', QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(path);
}

}  // namespace zpad
