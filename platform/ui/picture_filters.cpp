#include "platform/ui/picture_filters.h"

namespace borderlux {

QStringList PictureFilters(
    std::span<const PictureFormatGroup> groups, bool (*keep)(std::string_view ext))
{
    QStringList all;
    QStringList lines;
    for (const PictureFormatGroup& group : groups) {
        QStringList patterns;
        for (const QString& p : QString::fromLatin1(group.patterns).split(QLatin1Char(' ')))
            if (keep(p.mid(2).toStdString()))
                patterns << p;
        if (patterns.isEmpty())
            continue;
        all << patterns;
        lines << QStringLiteral("%1 (%2)").arg(
            QLatin1String(group.title), patterns.join(QLatin1Char(' ')));
    }
    QStringList filters;
    filters << QStringLiteral("All pictures (%1)").arg(all.join(QLatin1Char(' ')));
    filters << lines;
    filters << QStringLiteral("All files (*)");
    return filters;
}

} // namespace borderlux
