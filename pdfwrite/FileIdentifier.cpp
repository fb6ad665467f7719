#include "pdfwrite/FileIdentifier.h"

#include <nettle/md5.h>

#include <chrono>
#include <cstdint>

#include "core/Clock.h"
#include "syntax/ObjectCipher.h"

namespace folivo {

std::string NewFileIdentifier(std::string_view content, std::string_view fileName)
{
    md5_ctx context;
    md5_init(&context);
    auto update = [&context](const void* bytes, size_t size) {
        md5_update(&context, size, static_cast<const uint8_t*>(bytes));
    };
    const ClockReading clock = ReadClock();
    const int64_t now = clock.fixed ? static_cast<int64_t>(clock.seconds)
                                    : std::chrono::system_clock::now().time_since_epoch().count();
    update(&now, sizeof now);
    update(fileName.data(), fileName.size());
    update(content.data(), content.size());
    std::string digest(MD5_DIGEST_SIZE, '\0');
    md5_digest(&context, MD5_DIGEST_SIZE, reinterpret_cast<uint8_t*>(digest.data()));
    return digest;
}

std::string FileIdentifierEntry(std::string_view first, std::string_view second)
{
    return "/ID [ " + HexStringText(first) + " " + HexStringText(second) + " ]";
}

}  // namespace folivo
