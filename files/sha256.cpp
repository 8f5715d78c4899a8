#include "sha256.h"

#include <QCryptographicHash>

#include <array>
#include <cstring>

#if defined(__x86_64__) || defined(_M_X64)
#define PRIZEDRAW_SHA_X86 1
#include <immintrin.h>
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#define PRIZEDRAW_SHA_TARGET
#else
#include <cpuid.h>
#define PRIZEDRAW_SHA_TARGET __attribute__((target("sha,sse4.1,ssse3")))
#endif
#endif

namespace {

#ifdef PRIZEDRAW_SHA_X86

bool hasShaInstructions()
{
    unsigned leaf1[4] = {};
    unsigned leaf7[4] = {};
#if defined(_MSC_VER) && !defined(__clang__)
    int regs[4];
    __cpuid(regs, 0);
    if (regs[0] < 7)
        return false;
    __cpuid(regs, 1);
    std::memcpy(leaf1, regs, sizeof regs);
    __cpuidex(regs, 7, 0);
    std::memcpy(leaf7, regs, sizeof regs);
#else
    if (__get_cpuid_max(0, nullptr) < 7)
        return false;
    __cpuid(1, leaf1[0], leaf1[1], leaf1[2], leaf1[3]);
    __cpuid_count(7, 0, leaf7[0], leaf7[1], leaf7[2], leaf7[3]);
#endif
    const bool ssse3 = leaf1[2] & (1u << 9);
    const bool sse41 = leaf1[2] & (1u << 19);
    const bool sha = leaf7[1] & (1u << 29);
    return ssse3 && sse41 && sha;
}

alignas(16) constexpr std::array<quint32, 64> RoundConstants{
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

// Runs the compression function over whole 64-byte blocks. The state is kept the way
// the instructions want it: ABEF in one register, CDGH in the other.
PRIZEDRAW_SHA_TARGET void compressBlocks(quint32 state[8], const unsigned char *data,
                                         qsizetype blocks)
{
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i *>(state));
    __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i *>(state + 4));
    const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
    const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

    for (; blocks > 0; --blocks, data += 64) {
        const __m128i abefBefore = abef;
        const __m128i cdghBefore = cdgh;
        __m128i words[4];
        for (int i = 0; i < 4; ++i)
            words[i] = _mm_shuffle_epi8(
                _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + 16 * i)), byteSwap);
        // Sixteen groups of four rounds; the schedule for group g + 4 is built from the
        // words of groups g to g + 3 while they are at hand.
        for (int g = 0; g < 16; ++g) {
            const __m128i constants =
                _mm_load_si128(reinterpret_cast<const __m128i *>(RoundConstants.data() + 4 * g));
            __m128i message = _mm_add_epi32(words[g % 4], constants);
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
            message = _mm_shuffle_epi32(message, 0x0E);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
            if (g < 12) {
                __m128i next = _mm_sha256msg1_epu32(words[g % 4], words[(g + 1) % 4]);
                next =
                    _mm_add_epi32(next, _mm_alignr_epi8(words[(g + 3) % 4], words[(g + 2) % 4], 4));
                words[g % 4] = _mm_sha256msg2_epu32(next, words[(g + 3) % 4]);
            }
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }

    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(state), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

QByteArray shaInstructionsDigest(const QByteArray &bytes)
{
    quint32 state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                        0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype whole = bytes.size() / 64;
    compressBlocks(state, data, whole);

    // The tail, the 0x80 marker and the length in bits fill one or two last blocks.
    unsigned char last[128] = {};
    const qsizetype tail = bytes.size() - whole * 64;
    std::memcpy(last, data + whole * 64, std::size_t(tail));
    last[tail] = 0x80;
    const qsizetype lastBlocks = tail < 56 ? 1 : 2;
    const quint64 bits = quint64(bytes.size()) * 8;
    for (int i = 0; i < 8; ++i)
        last[lastBlocks * 64 - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
    compressBlocks(state, last, lastBlocks);

    QByteArray digest(32, Qt::Uninitialized);
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 4; ++j)
            digest[4 * i + j] = static_cast<char>(state[i] >> (24 - 8 * j));
    }
    return digest;
}

#endif

} // namespace

QByteArray sha256Hex(const QByteArray &bytes)
{
#ifdef PRIZEDRAW_SHA_X86
    static const bool fast = hasShaInstructions();
    if (fast)
        return shaInstructionsDigest(bytes).toHex();
#endif
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}
