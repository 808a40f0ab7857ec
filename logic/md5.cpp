#include "logic/md5.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/log.h"
#include "logic/page_digest.h"
#include "platform/filemap.h"

namespace korvane {
namespace {

// Clears memory in a way the compiler may not drop as a dead store.
void Wipe(void* data, size_t size) {
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    while (size-- > 0) *p++ = 0;
}

inline uint32_t Load32(const unsigned char* p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
    return v;
}

inline void Store32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The four auxiliary functions, written so that each needs few dependent
// operations. G's two terms share no bits, so '+' equals '|' and lets the
// additions run in parallel.
inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) {
    return z ^ (x & (y ^ z));
}
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) {
    return (x & z) + (y & ~z);
}
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) {
    return x ^ y ^ z;
}
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) {
    return y ^ (x | ~z);
}

template <uint32_t (*Fn)(uint32_t, uint32_t, uint32_t), int S>
inline void Step(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t t) {
    a += Fn(b, c, d) + x + t;
    a = std::rotl(a, S) + b;
}

// Runs the compression function over `blocks` consecutive 64-byte blocks.
void Transform(std::array<uint32_t, 4>& state, const unsigned char* data, size_t blocks) {
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (; blocks > 0; --blocks, data += 64) {
        uint32_t x[16];
        for (int i = 0; i < 16; ++i) x[i] = Load32(data + 4 * i);
        const uint32_t aa = a, bb = b, cc = c, dd = d;

        Step<F, 7>(a, b, c, d, x[0], 0xd76aa478);
        Step<F, 12>(d, a, b, c, x[1], 0xe8c7b756);
        Step<F, 17>(c, d, a, b, x[2], 0x242070db);
        Step<F, 22>(b, c, d, a, x[3], 0xc1bdceee);
        Step<F, 7>(a, b, c, d, x[4], 0xf57c0faf);
        Step<F, 12>(d, a, b, c, x[5], 0x4787c62a);
        Step<F, 17>(c, d, a, b, x[6], 0xa8304613);
        Step<F, 22>(b, c, d, a, x[7], 0xfd469501);
        Step<F, 7>(a, b, c, d, x[8], 0x698098d8);
        Step<F, 12>(d, a, b, c, x[9], 0x8b44f7af);
        Step<F, 17>(c, d, a, b, x[10], 0xffff5bb1);
        Step<F, 22>(b, c, d, a, x[11], 0x895cd7be);
        Step<F, 7>(a, b, c, d, x[12], 0x6b901122);
        Step<F, 12>(d, a, b, c, x[13], 0xfd987193);
        Step<F, 17>(c, d, a, b, x[14], 0xa679438e);
        Step<F, 22>(b, c, d, a, x[15], 0x49b40821);

        Step<G, 5>(a, b, c, d, x[1], 0xf61e2562);
        Step<G, 9>(d, a, b, c, x[6], 0xc040b340);
        Step<G, 14>(c, d, a, b, x[11], 0x265e5a51);
        Step<G, 20>(b, c, d, a, x[0], 0xe9b6c7aa);
        Step<G, 5>(a, b, c, d, x[5], 0xd62f105d);
        Step<G, 9>(d, a, b, c, x[10], 0x02441453);
        Step<G, 14>(c, d, a, b, x[15], 0xd8a1e681);
        Step<G, 20>(b, c, d, a, x[4], 0xe7d3fbc8);
        Step<G, 5>(a, b, c, d, x[9], 0x21e1cde6);
        Step<G, 9>(d, a, b, c, x[14], 0xc33707d6);
        Step<G, 14>(c, d, a, b, x[3], 0xf4d50d87);
        Step<G, 20>(b, c, d, a, x[8], 0x455a14ed);
        Step<G, 5>(a, b, c, d, x[13], 0xa9e3e905);
        Step<G, 9>(d, a, b, c, x[2], 0xfcefa3f8);
        Step<G, 14>(c, d, a, b, x[7], 0x676f02d9);
        Step<G, 20>(b, c, d, a, x[12], 0x8d2a4c8a);

        Step<H, 4>(a, b, c, d, x[5], 0xfffa3942);
        Step<H, 11>(d, a, b, c, x[8], 0x8771f681);
        Step<H, 16>(c, d, a, b, x[11], 0x6d9d6122);
        Step<H, 23>(b, c, d, a, x[14], 0xfde5380c);
        Step<H, 4>(a, b, c, d, x[1], 0xa4beea44);
        Step<H, 11>(d, a, b, c, x[4], 0x4bdecfa9);
        Step<H, 16>(c, d, a, b, x[7], 0xf6bb4b60);
        Step<H, 23>(b, c, d, a, x[10], 0xbebfbc70);
        Step<H, 4>(a, b, c, d, x[13], 0x289b7ec6);
        Step<H, 11>(d, a, b, c, x[0], 0xeaa127fa);
        Step<H, 16>(c, d, a, b, x[3], 0xd4ef3085);
        Step<H, 23>(b, c, d, a, x[6], 0x04881d05);
        Step<H, 4>(a, b, c, d, x[9], 0xd9d4d039);
        Step<H, 11>(d, a, b, c, x[12], 0xe6db99e5);
        Step<H, 16>(c, d, a, b, x[15], 0x1fa27cf8);
        Step<H, 23>(b, c, d, a, x[2], 0xc4ac5665);

        Step<I, 6>(a, b, c, d, x[0], 0xf4292244);
        Step<I, 10>(d, a, b, c, x[7], 0x432aff97);
        Step<I, 15>(c, d, a, b, x[14], 0xab9423a7);
        Step<I, 21>(b, c, d, a, x[5], 0xfc93a039);
        Step<I, 6>(a, b, c, d, x[12], 0x655b59c3);
        Step<I, 10>(d, a, b, c, x[3], 0x8f0ccc92);
        Step<I, 15>(c, d, a, b, x[10], 0xffeff47d);
        Step<I, 21>(b, c, d, a, x[1], 0x85845dd1);
        Step<I, 6>(a, b, c, d, x[8], 0x6fa87e4f);
        Step<I, 10>(d, a, b, c, x[15], 0xfe2ce6e0);
        Step<I, 15>(c, d, a, b, x[6], 0xa3014314);
        Step<I, 21>(b, c, d, a, x[13], 0x4e0811a1);
        Step<I, 6>(a, b, c, d, x[4], 0xf7537e82);
        Step<I, 10>(d, a, b, c, x[11], 0xbd3af235);
        Step<I, 15>(c, d, a, b, x[2], 0x2ad7d2bb);
        Step<I, 21>(b, c, d, a, x[9], 0xeb86d391);

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    state = {a, b, c, d};
}

}  // namespace

Md5::Md5() {
    Start();
}

Md5::~Md5() {
    Clear();
}

void Md5::Start() {
    state_ = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    length_ = 0;
}

void Md5::Clear() {
    Wipe(state_.data(), sizeof state_);
    Wipe(pending_.data(), pending_.size());
    Wipe(&length_, sizeof length_);
}

void Md5::Update(const void* data, size_t size) {
    const unsigned char* in = static_cast<const unsigned char*>(data);
    size_t used = static_cast<size_t>(length_ % 64);
    length_ += size;
    if (used > 0) {
        const size_t take = std::min(size, 64 - used);
        std::memcpy(pending_.data() + used, in, take);
        in += take;
        size -= take;
        if (used + take < 64) return;
        Transform(state_, pending_.data(), 1);
    }
    Transform(state_, in, size / 64);
    if (size % 64 > 0) std::memcpy(pending_.data(), in + size - size % 64, size % 64);
}

Md5Digest Md5::Finish() {
    // A 0x80 byte, zeros up to 56 bytes modulo 64, then the length in bits.
    const uint64_t bits = length_ * 8;
    unsigned char padding[72] = {0x80};
    const size_t used = static_cast<size_t>(length_ % 64);
    Update(padding, (used < 56 ? 56 : 120) - used);
    unsigned char lengthBytes[8];
    for (int i = 0; i < 8; ++i) lengthBytes[i] = static_cast<unsigned char>(bits >> (8 * i));
    Update(lengthBytes, sizeof lengthBytes);

    Md5Digest digest;
    for (int i = 0; i < 4; ++i) Store32(digest.data() + 4 * i, state_[i]);
    Clear();
    Start();
    return digest;
}

Md5Digest Md5OfText(std::string_view text) {
    Md5 md5;
    md5.Update(text.data(), text.size());
    return md5.Finish();
}

Md5Digest Md5OfFile(const std::string& path) {
    Md5 md5;
    const platform::FileMap file(path);
    if (file.size() > 0) md5.Update(file.data(), file.size());
    return md5.Finish();
}

std::string DigestToHex(const Md5Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * digest.size());
    for (uint8_t byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0f];
    }
    return hex;
}

// The two hex texts are hashed once more and the digests compared, so the
// expected value never appears beside the file's in a plain comparison.
bool CheckPageFile(const std::string& path) {
    try {
        const std::string fileHex = DigestToHex(Md5OfFile(path));
        Md5Digest a = Md5OfText(fileHex);
        Md5Digest b = Md5OfText(kExpectedPageDigest);
        bool same = true;
        for (size_t i = 0; i < a.size(); ++i) {
            if (a[i] != b[i]) {
                same = false;
                break;
            }
        }
        Wipe(a.data(), a.size());
        Wipe(b.data(), b.size());
        return same;
    } catch (const std::exception& e) {
        log::Warn(log::Area::App, std::string("page file not checked: ") + e.what());
        return false;
    } catch (...) {
        log::Warn(log::Area::App, "page file not checked: unknown failure");
        return false;
    }
}

}  // namespace korvane
