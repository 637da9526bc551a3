#include "record/Sha256.h"

#include <openssl/evp.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// OpenSSL's digest, not one of our own: it uses the processor's SHA instructions, about
// 1.5 GB/s here, so hashing a phone photo costs a few milliseconds beside its count.
namespace tamrex {
namespace {

struct DigestDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using Digest = std::unique_ptr<EVP_MD_CTX, DigestDeleter>;

struct FileCloser {
    void operator()(const int* descriptor) const { ::close(*descriptor); }
};

std::string Hex(const unsigned char* bytes, unsigned int size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (unsigned int i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0xF];
    }
    return text;
}

Digest NewSha256() {
    Digest digest(EVP_MD_CTX_new());
    if (digest && EVP_DigestInit_ex(digest.get(), EVP_sha256(), nullptr) != 1) digest.reset();
    return digest;
}

std::string Finish(EVP_MD_CTX* digest) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> value{};
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(digest, value.data(), &size) != 1) return {};
    return Hex(value.data(), size);
}

}  // namespace

std::string Sha256Hex(std::string_view bytes) {
    const Digest digest = NewSha256();
    if (!digest || EVP_DigestUpdate(digest.get(), bytes.data(), bytes.size()) != 1) return {};
    return Finish(digest.get());
}

Expected<PhotoFacts> ReadPhotoFacts(const std::filesystem::path& photo) {
    // O_NONBLOCK so that opening a FIFO does not wait for a writer; it is refused below.
    const int descriptor = ::open(photo.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return Fail(std::strerror(errno));
    const std::unique_ptr<const int, FileCloser> closer(&descriptor);
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) return Fail(std::strerror(errno));
    if (!S_ISREG(status.st_mode)) return Fail("it is not a regular file");

    const Digest digest = NewSha256();
    if (!digest) return Fail("the SHA-256 digest is not available (OpenSSL)");
    std::array<char, 1 << 16> piece{};
    for (;;) {
        const ssize_t got = ::read(descriptor, piece.data(), piece.size());
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return Fail(std::strerror(errno));
        }
        EVP_DigestUpdate(digest.get(), piece.data(), static_cast<std::size_t>(got));
    }
    return PhotoFacts{static_cast<std::uint64_t>(status.st_size), static_cast<std::int64_t>(status.st_mtime),
                      Finish(digest.get())};
}

}  // namespace tamrex
