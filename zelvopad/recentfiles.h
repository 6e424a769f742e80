// The list of the files opened last, newest first, kept in the editor's
// settings under "Recent File List" as File1 .. File4.
#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace zpad {

class RecentFiles {
public:
    static constexpr qsizetype kMax = 4;

    const QStringList& files() const { return files_; }
    // Puts path first (once), dropping the oldest beyond kMax.
    void add(const QString& path);
    void remove(const QString& path);

    void load(QSettings& settings);
    void save(QSettings& settings) const;

    // The menu text of entry index: "&1 " and the path, '&' doubled.
    QString menuText(qsizetype index) const;

private:
    QStringList files_;
};

}  // namespace zpad
