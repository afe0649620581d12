// GIF writing: every pixel is mapped to a fixed 6 x 7 x 6 colour cube (252 colours; green gets
// the extra level because the eye sees it best) and the indices are LZW coded. Pixels of an
// alpha plane below 128 become the transparent index 255.

#include "platform/image_io/codecs.h"

#include <array>
#include <cstring>
#include <vector>

namespace borderlux::imageio {

namespace {

constexpr int kRedLevels = 6, kGreenLevels = 7, kBlueLevels = 6;
constexpr uint8_t kTransparent = 255;

// Variable-width LZW as GIF wants it: codes from 9 to 12 bits, packed least significant bit
// first into sub-blocks of at most 255 bytes, a clear code whenever the table is full.
class LzwEncoder {
public:
    explicit LzwEncoder(ByteSink& sink)
        : m_sink(sink)
    {
    }

    void encode(const uint8_t* indices, size_t count)
    {
        resetTable();
        output(kClear);
        if (count == 0) {
            output(kEnd);
            finish();
            return;
        }
        int prefix = indices[0];
        for (size_t i = 1; i < count; ++i) {
            const int c = indices[i];
            const int32_t key = (c << 12) | prefix;
            int h = (c << 4) ^ prefix;
            const int step = h == 0 ? 1 : kHashSize - h;
            int found = -1;
            while (m_keys[size_t(h)] >= 0) {
                if (m_keys[size_t(h)] == key) {
                    found = m_codes[size_t(h)];
                    break;
                }
                h -= step;
                if (h < 0)
                    h += kHashSize;
            }
            if (found >= 0) {
                prefix = found;
                continue;
            }
            output(prefix);
            if (m_next < kMaxCodes) {
                m_keys[size_t(h)] = key;
                m_codes[size_t(h)] = int16_t(m_next++);
            } else {
                output(kClear);
                resetTable();
            }
            prefix = c;
        }
        output(prefix);
        output(kEnd);
        finish();
    }

private:
    static constexpr int kClear = 256, kEnd = 257, kMaxCodes = 4096, kHashSize = 5003;

    void resetTable()
    {
        m_keys.fill(-1);
        m_next = kEnd + 1;
    }

    // Writes code at the current width, then widens the codes when the next table entry would
    // not fit; the decoder widens at the same point because it sees the same table.
    void output(int code)
    {
        m_bits |= uint32_t(code) << m_bitCount;
        m_bitCount += m_width;
        while (m_bitCount >= 8) {
            put(uint8_t(m_bits));
            m_bits >>= 8;
            m_bitCount -= 8;
        }
        if (code == kClear) {
            m_width = 9;
        } else if (m_width < 12 && m_next > (1 << m_width) - 1) {
            ++m_width;
        }
    }

    void put(uint8_t byte)
    {
        m_block[size_t(++m_blockSize)] = byte;
        if (m_blockSize == 255)
            flushBlock();
    }

    void flushBlock()
    {
        if (m_blockSize == 0)
            return;
        m_block[0] = uint8_t(m_blockSize);
        m_sink.write(m_block.data(), size_t(m_blockSize) + 1);
        m_blockSize = 0;
    }

    void finish()
    {
        if (m_bitCount > 0)
            put(uint8_t(m_bits));
        m_bits = 0;
        m_bitCount = 0;
        flushBlock();
        const uint8_t terminator = 0;
        m_sink.write(&terminator, 1);
    }

    ByteSink& m_sink;
    std::array<int32_t, kHashSize> m_keys {};
    std::array<int16_t, kHashSize> m_codes {};
    int m_next = kEnd + 1;
    int m_width = 9;
    uint32_t m_bits = 0;
    int m_bitCount = 0;
    std::array<uint8_t, 256> m_block {};
    int m_blockSize = 0;
};

} // namespace

ImageIOResult WriteGif(ByteSink& sink, const TIEBitmap& bmp)
{
    const int w = bmp.Width(), h = bmp.Height();
    if (w > 65535 || h > 65535)
        return ImageIOResult::failure("the picture is too large for a GIF file");
    const TIEBitmap* plane = HasTransparency(bmp) ? bmp.ExistingAlphaPlane() : nullptr;

    std::vector<uint8_t> out;
    auto put16 = [&](int v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    };
    const char* signature = plane ? "GIF89a" : "GIF87a";
    out.insert(out.end(), signature, signature + 6);
    put16(w);
    put16(h);
    out.push_back(0xF7); // global colour table of 256 entries, 8 bits of colour resolution
    out.push_back(0); // background index
    out.push_back(0); // square pixels
    for (int i = 0; i < 256; ++i) {
        if (i >= kRedLevels * kGreenLevels * kBlueLevels) {
            out.insert(out.end(), { 0, 0, 0 });
            continue;
        }
        const int r = i / (kGreenLevels * kBlueLevels), g = (i / kBlueLevels) % kGreenLevels,
                  b = i % kBlueLevels;
        out.push_back(uint8_t(r * 255 / (kRedLevels - 1)));
        out.push_back(uint8_t(g * 255 / (kGreenLevels - 1)));
        out.push_back(uint8_t(b * 255 / (kBlueLevels - 1)));
    }
    if (plane) // graphic control extension naming the transparent index
        out.insert(out.end(), { 0x21, 0xF9, 4, 1, 0, 0, kTransparent, 0 });
    out.push_back(','); // image descriptor
    put16(0);
    put16(0);
    put16(w);
    put16(h);
    out.push_back(0);
    out.push_back(8); // LZW minimum code size
    sink.write(out.data(), out.size());

    std::array<uint8_t, 256> red {}, green {}, blue {};
    for (int v = 0; v < 256; ++v) {
        red[size_t(v)] = uint8_t((v * (kRedLevels - 1) + 127) / 255 * kGreenLevels * kBlueLevels);
        green[size_t(v)] = uint8_t((v * (kGreenLevels - 1) + 127) / 255 * kBlueLevels);
        blue[size_t(v)] = uint8_t((v * (kBlueLevels - 1) + 127) / 255);
    }
    std::vector<uint8_t> indices(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = bmp.Row(y);
        const uint8_t* a = plane ? plane->Row(y) : nullptr;
        uint8_t* dst = indices.data() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x)
            dst[x] = uint8_t(red[src[3 * x + 2]] + green[src[3 * x + 1]] + blue[src[3 * x]]);
        if (a)
            for (int x = 0; x < w; ++x)
                if (a[x] < 128)
                    dst[x] = kTransparent;
    }
    LzwEncoder(sink).encode(indices.data(), indices.size());
    const uint8_t trailer = ';';
    sink.write(&trailer, 1);
    return ImageIOResult::success();
}

} // namespace borderlux::imageio
