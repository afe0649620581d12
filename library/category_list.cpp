#include "library/category_list.h"

#include <QFile>

namespace borderlux {

QStringList SplitListEntries(const QByteArray& bytes)
{
    QStringList entries;
    const char* p = bytes.constData();
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    qsizetype i = 0;
    // Only text before the first NUL counts: the shipped lists carry sealing bytes after it.
    for (; i < n && p[i] != '\0'; ++i) {
        if (p[i] != '\r' && p[i] != '\n')
            continue;
        entries << QString::fromLocal8Bit(p + start, i - start);
        if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (i > start)
        entries << QString::fromLocal8Bit(p + start, i - start);
    return entries;
}

QStringList ReadCategoryList(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return SplitListEntries(file.readAll());
}

QString CategoryListPath(CategoryKind kind, const QString& programFolder)
{
    return programFolder + (kind == CategoryKind::Frames ? "frames/f.dat" : "stamps/s.dat");
}

QString CategoryFolder(CategoryKind kind, const QString& name, const QString& programFolder,
    const QString& userDataFolder)
{
    const bool frames = kind == CategoryKind::Frames;
    if (name == QLatin1String(kFavoriteCategory))
        return userDataFolder + (frames ? "my frame favorite" : "my stamp favorite");
    return programFolder + (frames ? "frames/" : "stamps/") + name;
}

std::vector<SelectorItem> SelectorItems(CategoryKind kind, const QStringList& entries)
{
    const int categoryImage
        = kind == CategoryKind::Frames ? kFrameCategoryImageIndex : kStampCategoryImageIndex;
    std::vector<SelectorItem> items;
    items.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        items.push_back({ entries[i], i == 1 ? kFavoritesImageIndex : categoryImage });
    return items;
}

CategorySelectors LoadCategoryLists(const QString& programFolder)
{
    return {
        SelectorItems(CategoryKind::Frames,
            ReadCategoryList(CategoryListPath(CategoryKind::Frames, programFolder))),
        SelectorItems(CategoryKind::Stamps,
            ReadCategoryList(CategoryListPath(CategoryKind::Stamps, programFolder))),
    };
}

} // namespace borderlux
