#include "record/Sha256.h"

#include "image/ProcessorFeatures.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// A digest of our own rather than a cryptography library's: loading and setting one up
// cost a count of a small photo more than hashing the photo does. Where the processor
// has SHA instructions it hashes at about 2 GB/s, as fast as such a library.
namespace tamrex {
namespace {

using State = std::array<std::uint32_t, 8>;

constexpr State kInitial = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                            0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

alignas(16) constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::size_t kBlock = 64;

constexpr std::uint32_t Rotated(std::uint32_t value, int by) { return (value >> by) | (value << (32 - by)); }

std::uint32_t BigEndian(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

void PlainBlocks(State& state, const unsigned char* data, std::size_t blocks) {
    for (; blocks > 0; --blocks, data += kBlock) {
        std::uint32_t w[64];
#pragma GCC unroll 16
        for (int t = 0; t < 16; ++t) w[t] = BigEndian(data + 4 * t);
        for (int t = 16; t < 64; ++t) {
            const std::uint32_t s0 = Rotated(w[t - 15], 7) ^ Rotated(w[t - 15], 18) ^ (w[t - 15] >> 3);
            const std::uint32_t s1 = Rotated(w[t - 2], 17) ^ Rotated(w[t - 2], 19) ^ (w[t - 2] >> 10);
            w[t] = w[t - 16] + s0 + w[t - 7] + s1;
        }
        State v = state;
#pragma GCC unroll 8
        for (int t = 0; t < 64; ++t) {
            const std::uint32_t s1 = Rotated(v[4], 6) ^ Rotated(v[4], 11) ^ Rotated(v[4], 25);
            const std::uint32_t choice = (v[4] & v[5]) ^ (~v[4] & v[6]);
            const std::uint32_t first = v[7] + s1 + choice + kRound[t] + w[t];
            const std::uint32_t s0 = Rotated(v[0], 2) ^ Rotated(v[0], 13) ^ Rotated(v[0], 22);
            const std::uint32_t majority = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
            v = {first + s0 + majority, v[0], v[1], v[2], v[3] + first, v[4], v[5], v[6]};
        }
        for (int i = 0; i < 8; ++i) state[i] += v[i];
    }
}

// Four rounds per step. The instructions keep the state as (a, b, e, f) and (c, d, g, h).
__attribute__((target("sha,sse4.1"))) void BlocksWithShaInstructions(State& state, const unsigned char* data,
                                                                      std::size_t blocks) {
    const __m128i byteOrder = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
    const __m128i dcba = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0])), 0xB1);
    const __m128i hgfe = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4])), 0x1B);
    __m128i abef = _mm_alignr_epi8(dcba, hgfe, 8);
    __m128i cdgh = _mm_blend_epi16(hgfe, dcba, 0xF0);
    for (; blocks > 0; --blocks, data += kBlock) {
        const __m128i abefBefore = abef, cdghBefore = cdgh;
        __m128i words[4];  // the last sixteen message words, four steps' worth
#pragma GCC unroll 16
        for (int step = 0; step < 16; ++step) {
            __m128i& current = words[step % 4];
            if (step < 4) {
                current = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * step)), byteOrder);
            } else {
                const __m128i& last = words[(step + 3) % 4];
                const __m128i sevenBack = _mm_alignr_epi8(last, words[(step + 2) % 4], 4);
                current = _mm_sha256msg2_epu32(
                    _mm_add_epi32(_mm_sha256msg1_epu32(current, words[(step + 1) % 4]), sevenBack), last);
            }
            __m128i message =
                _mm_add_epi32(current, _mm_load_si128(reinterpret_cast<const __m128i*>(&kRound[4 * step])));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
            message = _mm_shuffle_epi32(message, 0x0E);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }
    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), _mm_alignr_epi8(dchg, feba, 8));
}

using BlockFunction = void (*)(State&, const unsigned char*, std::size_t);

BlockFunction BlocksFor(DigestPath path) {
    return path == DigestPath::kFastest && ProcessorHasShaInstructions() ? BlocksWithShaInstructions : PlainBlocks;
}

class Digest {
public:
    explicit Digest(DigestPath path) : blocks_(BlocksFor(path)) {}

    void Add(const void* bytes, std::size_t size) {
        const auto* data = static_cast<const unsigned char*>(bytes);
        length_ += size;
        if (held_ > 0) {
            const std::size_t taken = std::min(size, kBlock - held_);
            std::memcpy(pending_.data() + held_, data, taken);
            held_ += taken;
            data += taken;
            size -= taken;
            if (held_ < kBlock) return;
            blocks_(state_, pending_.data(), 1);
            held_ = 0;
        }
        blocks_(state_, data, size / kBlock);
        held_ = size % kBlock;
        std::memcpy(pending_.data(), data + size - held_, held_);
    }

    std::string Hex() {
        const std::uint64_t bits = length_ * 8;
        static constexpr unsigned char kEnd[kBlock] = {0x80};
        Add(kEnd, 1 + (kBlock + kBlock - 9 - held_) % kBlock);
        unsigned char length[8];
        for (int i = 0; i < 8; ++i) length[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
        Add(length, sizeof length);
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string text;
        for (const std::uint32_t word : state_) {
            for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(word >> shift) & 0xF];
        }
        return text;
    }

private:
    BlockFunction blocks_;
    State state_ = kInitial;
    std::array<unsigned char, kBlock> pending_{};
    std::size_t held_ = 0;
    std::uint64_t length_ = 0;
};

struct FileCloser {
    void operator()(const int* descriptor) const { ::close(*descriptor); }
};

}  // namespace

std::string Sha256Hex(std::string_view bytes, DigestPath path) {
    Digest digest(path);
    digest.Add(bytes.data(), bytes.size());
    return digest.Hex();
}

Expected<PhotoFacts> ReadPhotoFacts(const std::filesystem::path& photo) {
    // O_NONBLOCK so that opening a FIFO does not wait for a writer; it is refused below.
    const int descriptor = ::open(photo.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return Fail(std::strerror(errno));
    const std::unique_ptr<const int, FileCloser> closer(&descriptor);
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) return Fail(std::strerror(errno));
    if (!S_ISREG(status.st_mode)) return Fail("it is not a regular file");

    Digest digest(DigestPath::kFastest);
    std::array<char, 1 << 16> piece{};
    for (;;) {
        const ssize_t got = ::read(descriptor, piece.data(), piece.size());
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return Fail(std::strerror(errno));
        }
        digest.Add(piece.data(), static_cast<std::size_t>(got));
    }
    return PhotoFacts{static_cast<std::uint64_t>(status.st_size), static_cast<std::int64_t>(status.st_mtime),
                      digest.Hex()};
}

}  // namespace tamrex
