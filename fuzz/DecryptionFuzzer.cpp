// Takes encryption parameters and a password from the input, and when the parameters are usable
// tries the password and decrypts the rest of the input as a string, as stream data and as an
// object's strings and data. Input:
//   revision, version, key bytes, methods (strings | streams << 2 | 16 when metadata is
//   encrypted), /P (4 bytes, little-endian), object number, then /O, /U, /OE, /UE, /Perms, the
//   first /ID element and the password, each a length byte and its bytes; the rest is data.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "syntax/ObjectCipher.h"
#include "syntax/SecurityHandler.h"

namespace {

class Input {
public:
    explicit Input(std::string_view bytes) : rest_(bytes) {}
    uint8_t Byte()
    {
        if (rest_.empty()) return 0;
        const auto byte = static_cast<uint8_t>(rest_[0]);
        rest_.remove_prefix(1);
        return byte;
    }
    std::string Field()
    {
        const size_t length = std::min<size_t>(Byte(), rest_.size());
        std::string field(rest_.substr(0, length));
        rest_.remove_prefix(length);
        return field;
    }
    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace folivo;
    Input input(std::string_view(reinterpret_cast<const char*>(data), size));
    EncryptionParameters p;
    p.revision = 1 + input.Byte() % 7;
    p.version = input.Byte() % 6;
    p.keyBytes = input.Byte() % 34;
    const uint8_t methods = input.Byte();
    p.strings = static_cast<CryptMethod>(methods & 3);
    p.streams = static_cast<CryptMethod>((methods >> 2) & 3);
    p.encryptMetadata = (methods & 16) != 0;
    uint32_t permissions = 0;
    for (int i = 0; i < 4; ++i) permissions |= uint32_t{input.Byte()} << (8 * i);
    p.permissions = static_cast<int32_t>(permissions);
    const int32_t number = input.Byte();
    p.owner = input.Field();
    p.user = input.Field();
    p.ownerKey = input.Field();
    p.userKey = input.Field();
    p.perms = input.Field();
    p.firstId = input.Field();
    const std::string password = input.Field();

    const bool usable = ParameterProblem(p).empty();
    SecurityHandler handler(p);
    const Access access = handler.Authenticate(password);
    if (!usable && access != Access::Denied) __builtin_trap();
    // The rest as an object whose strings and data pass through the handler, or, without a
    // file key, through a stand-in that rejects some of them.
    const auto convert = [&](std::string_view bytes) -> std::optional<std::string> {
        if (access != Access::Denied) return handler.DecryptStream(bytes, number, 0);
        if (bytes.size() % 3 == 1) return std::nullopt;
        return std::string(bytes.rbegin(), bytes.rend());
    };
    (void)ConvertObject(input.Rest(), number > 128 ? std::optional<int64_t>(number - 128) : std::nullopt, convert, convert);
    if (access == Access::Denied) return 0;
    (void)handler.PermsAgree();
    const std::string_view rest = input.Rest();
    (void)handler.DecryptString(rest, number, 0);
    (void)handler.DecryptStream(rest, number, 0);
    // What the handler encrypts it decrypts again.
    if (handler.DecryptString(handler.EncryptString(rest, number, 0), number, 0) != rest) __builtin_trap();
    return 0;
}
