#include "app/core/options.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace borderlux {

namespace {

QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    for (QString& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

/// The name of a "[name]" line, or a null string when the line is not a section header.
QString sectionName(const QString& line)
{
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith('[') || !t.endsWith(']'))
        return {};
    return t.mid(1, t.size() - 2).trimmed();
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

/// Index of the "key=..." line for key inside the section that starts after line begin and
/// ends before line end; -1 when absent.
qsizetype findKey(const QStringList& lines, qsizetype begin, qsizetype end, const QString& key)
{
    for (qsizetype i = begin; i < end; ++i) {
        const qsizetype eq = lines[i].indexOf('=');
        if (eq > 0 && sameName(lines[i].left(eq).trimmed(), key))
            return i;
    }
    return -1;
}

struct SectionRange {
    qsizetype header = -1; ///< line of "[section]"
    qsizetype end = -1; ///< first line after the section
};

SectionRange findSection(const QStringList& lines, const QString& section)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(lines[i]);
        if (name.isNull() || !sameName(name, section))
            continue;
        qsizetype end = i + 1;
        while (end < lines.size() && sectionName(lines[end]).isNull())
            ++end;
        return { i, end };
    }
    return {};
}

} // namespace

QString ReadOption(const QString& path, const QString& section, const QString& key)
{
    const QStringList lines = readLines(path);
    const SectionRange range = findSection(lines, section);
    if (range.header < 0)
        return {};
    const qsizetype at = findKey(lines, range.header + 1, range.end, key);
    if (at < 0)
        return {};
    return lines[at].mid(lines[at].indexOf('=') + 1).trimmed();
}

void WriteOption(
    const QString& path, const QString& section, const QString& key, const QString& value)
{
    QDir().mkpath(QFileInfo(path).absolutePath());

    QStringList lines = readLines(path);
    const QString entry = key + "=" + value;
    const SectionRange range = findSection(lines, section);
    if (range.header < 0) {
        lines << "[" + section + "]" << entry;
    } else {
        const qsizetype at = findKey(lines, range.header + 1, range.end, key);
        if (at >= 0) {
            lines[at] = entry;
        } else {
            // Keep blank lines that separate this section from the next one after the new key.
            qsizetype insertAt = range.end;
            while (insertAt > range.header + 1 && lines[insertAt - 1].trimmed().isEmpty())
                --insertAt;
            lines.insert(insertAt, entry);
        }
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write((lines.join('\n') + '\n').toUtf8());
    file.commit();
}

} // namespace borderlux
