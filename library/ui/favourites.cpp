#include "library/ui/favourites.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <random>
#include <string>

namespace borderlux {

namespace {

QString fileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

int64_t RandomDigits(int n)
{
    if (n <= 0 || n > 10)
        return -1;
    // A fresh seed per call: two favourites added in quick succession still get different
    // numbers, and no generator state lives between calls.
    std::mt19937_64 generator(
        uint64_t(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    const int first = std::uniform_int_distribution<int>(1, 9)(generator);
    std::string pool = "0123456789";
    pool.erase(size_t(first), 1);
    int64_t value = first;
    for (int i = 1; i < n; ++i) {
        const size_t at = std::uniform_int_distribution<size_t>(0, pool.size() - 1)(generator);
        value = value * 10 + (pool[at] - '0');
        pool.erase(at, 1);
    }
    return value;
}

QString FirstFileNameCharacter(const QString& path)
{
    const QString name = fileNameOf(path);
    if (name.isEmpty())
        return {};
    // One code point, not one UTF-16 unit: cutting a surrogate pair would leave a lone
    // surrogate that cannot be encoded into a file name.
    const int length
        = name.size() > 1 && name.at(0).isHighSurrogate() && name.at(1).isLowSurrogate() ? 2 : 1;
    return name.left(length);
}

QString FileNameExtension(const QString& path)
{
    const QString name = fileNameOf(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

QString FavouriteTargetPath(const QString& source, const QString& userDataFolder)
{
    const QString first = FirstFileNameCharacter(source);
    const QString extension = FileNameExtension(source);
    QString target;
    if (source.contains(QLatin1String("frames")))
        target = userDataFolder + QLatin1String("my frame favorite/") + first
            + QString::number(RandomDigits(8)) + extension;
    if (source.contains(QLatin1String("stamps")))
        target = userDataFolder + QLatin1String("my stamp favorite/") + first
            + QString::number(RandomDigits(8)) + extension;
    return target;
}

QString AddFavourite(const QString& source, const QString& userDataFolder)
{
    // mkdir, not mkpath: the favourites folders are created only inside an existing user data
    // folder, which is made when a photo is opened or the options are first written.
    QDir dir;
    for (const char* sub : { "my frame favorite", "my stamp favorite" }) {
        const QString folder = userDataFolder + QLatin1String(sub);
        if (!QFileInfo::exists(folder))
            dir.mkdir(folder);
    }
    const QString target = FavouriteTargetPath(source, userDataFolder);
    if (source.isEmpty() || target.isEmpty())
        return {};
    // QFile::copy refuses an existing target, so a clash of names never overwrites a favourite.
    return QFile::copy(source, target) ? target : QString();
}

bool IsFavouritePath(const QString& path)
{
    return path.contains(QLatin1String("favorite"));
}

} // namespace borderlux
