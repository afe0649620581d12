// bl_seal_list FILE POSITION EXPECTED
//
// Makes a category list file pass the library digest check: keeps the file's text up to its
// first NUL, then tries NUL + counter (in lower-case hexadecimal) until the MD5 digest, in
// lower-case hexadecimal, holds EXPECTED at character POSITION (counting from 1). The
// catalogue ignores everything after the NUL, so the entries are unchanged. With three
// digits to hit, about 4096 tries are needed on average.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <openssl/evp.h>
#include <string>

namespace {

std::string md5Hex(const std::string& bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += digits[digest[i] >> 4];
        hex += digits[digest[i] & 15];
    }
    return hex;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: bl_seal_list FILE POSITION EXPECTED\n");
        return 2;
    }
    const std::string path = argv[1];
    const int position = std::atoi(argv[2]);
    const std::string expected = argv[3];
    if (position < 1 || position - 1 + expected.size() > 32) {
        std::fprintf(stderr, "bl_seal_list: position %d out of range\n", position);
        return 2;
    }

    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "bl_seal_list: cannot read %s\n", path.c_str());
        return 1;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    // Sealing an already sealed file starts again from its text, so the tool can run twice.
    text = text.substr(0, text.find('\0'));

    for (unsigned long counter = 0; counter < 100000000UL; ++counter) {
        char nonce[24];
        std::snprintf(nonce, sizeof nonce, "%lx", counter);
        std::string candidate = text;
        candidate += '\0';
        candidate += nonce;
        if (md5Hex(candidate).compare(size_t(position - 1), expected.size(), expected) != 0)
            continue;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(candidate.data(), std::streamsize(candidate.size()));
        if (!out) {
            std::fprintf(stderr, "bl_seal_list: cannot write %s\n", path.c_str());
            return 1;
        }
        return 0;
    }
    std::fprintf(stderr, "bl_seal_list: no nonce found for %s\n", path.c_str());
    return 1;
}
