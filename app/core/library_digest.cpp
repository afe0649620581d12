#include "app/core/library_digest.h"

#include <QFile>
#include <QFileInfo>

#include <memory>
#include <openssl/evp.h>

namespace borderlux {

namespace {

bool hexMatchesAt(const std::string& hex, int position, std::string_view expected)
{
    if (position < 1 || size_t(position) - 1 + expected.size() > hex.size())
        return false;
    return hex.compare(size_t(position) - 1, expected.size(), expected) == 0;
}

} // namespace

std::string Md5Hex(const QByteArray& bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!ctx || !EVP_DigestInit_ex(ctx.get(), EVP_md5(), nullptr)
        || !EVP_DigestUpdate(ctx.get(), bytes.constData(), size_t(bytes.size()))
        || !EVP_DigestFinal_ex(ctx.get(), digest, &length))
        return std::string(32, '-'); // matches no expected characters, so the check fails
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        hex += digits[digest[i] >> 4];
        hex += digits[digest[i] & 15];
    }
    return hex;
}

bool DigestMatchesAt(const QByteArray& bytes, int position, std::string_view expected)
{
    return hexMatchesAt(Md5Hex(bytes), position, expected);
}

std::string FileMd5Hex(const QString& path)
{
    QFile file(path);
    QByteArray contents;
    if (file.open(QIODevice::ReadOnly))
        contents = file.readAll();
    return Md5Hex(contents);
}

bool LibraryDigestCheck(const QString& programFolder)
{
    const QString frames = programFolder + "frames/f.dat";
    const QString stamps = programFolder + "stamps/s.dat";
    if (!QFileInfo::exists(frames) || !QFileInfo::exists(stamps))
        return false;
    return hexMatchesAt(FileMd5Hex(frames), 2, "4f8") && hexMatchesAt(FileMd5Hex(stamps), 3, "5d8");
}

} // namespace borderlux
