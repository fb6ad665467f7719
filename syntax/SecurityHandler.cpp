#include "syntax/SecurityHandler.h"

#include <nettle/aes.h>
#include <nettle/arcfour.h>
#include <nettle/cbc.h>
#include <nettle/md5.h>
#include <nettle/nettle-meta.h>
#include <nettle/sha2.h>
#include <sys/random.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "core/PdfDocEncoding.h"

namespace folivo {

namespace {

// Fills passwords of revisions 2 to 4 up to 32 bytes, and is the whole of an empty one.
constexpr char PaddingBytes[] =
    "\x28\xBF\x4E\x5E\x4E\x75\x8A\x41\x64\x00\x4E\x56\xFF\xFA\x01\x08"
    "\x2E\x2E\x00\xB6\xD0\x68\x3E\x80\x2F\x0C\xA9\xFE\x64\x53\x69\x7A";
constexpr std::string_view Padding(PaddingBytes, 32);
constexpr std::string_view ZeroBlock("\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16);
constexpr size_t AesBlock = 16;
// Longer passwords of revisions 5 and 6 count only up to here.
constexpr size_t ModernPasswordBytes = 127;

const uint8_t* In(std::string_view bytes) { return reinterpret_cast<const uint8_t*>(bytes.data()); }
uint8_t* Out(std::string& bytes) { return reinterpret_cast<uint8_t*>(bytes.data()); }

std::string LittleEndian(uint32_t value, size_t count)
{
    std::string out(count, '\0');
    for (size_t i = 0; i < count; ++i) out[i] = static_cast<char>(value >> (8 * i));
    return out;
}

// The digest of the pieces one after another.
std::string Digest(const nettle_hash& hash, std::initializer_list<std::string_view> pieces)
{
    union {
        md5_ctx md5;
        sha256_ctx sha256;
        sha512_ctx sha512;  // also SHA-384's
    } context;
    hash.init(&context);
    for (std::string_view piece : pieces) hash.update(&context, piece.size(), In(piece));
    std::string digest(hash.digest_size, '\0');
    hash.digest(&context, digest.size(), Out(digest));
    return digest;
}

std::string Rc4(std::string_view key, std::string_view data)
{
    arcfour_ctx context;
    arcfour_set_key(&context, key.size(), In(key));
    std::string out(data.size(), '\0');
    arcfour_crypt(&context, data.size(), Out(out), In(data));
    return out;
}

// Twenty RC4 passes, each with the key's bytes XORed with the pass number (0 to 19, or 19 down
// to 0 to undo them).
std::string Rc4Passes(std::string_view key, std::string data, bool undo)
{
    std::string passKey(key);
    for (int step = 0; step < 20; ++step) {
        const int pass = undo ? 19 - step : step;
        for (size_t i = 0; i < key.size(); ++i) passKey[i] = static_cast<char>(key[i] ^ pass);
        data = Rc4(passKey, data);
    }
    return data;
}

// An AES key schedule of 16 or 32 bytes in the shape Nettle's CBC mode calls.
struct AesKey {
    bool wide = false;
    aes128_ctx narrow;
    aes256_ctx broad;
};

void AesEncrypt(const void* key, size_t length, uint8_t* out, const uint8_t* in)
{
    const auto* k = static_cast<const AesKey*>(key);
    if (k->wide) aes256_encrypt(&k->broad, length, out, in);
    else aes128_encrypt(&k->narrow, length, out, in);
}

void AesDecrypt(const void* key, size_t length, uint8_t* out, const uint8_t* in)
{
    const auto* k = static_cast<const AesKey*>(key);
    if (k->wide) aes256_decrypt(&k->broad, length, out, in);
    else aes128_decrypt(&k->narrow, length, out, in);
}

// AES-CBC over whole blocks, without padding; `key` holds 16 or 32 bytes. One block with a zero
// vector is plain ECB, as /Perms needs.
std::string AesCbc(std::string_view key, std::string_view iv, std::string_view data, bool encrypt)
{
    AesKey schedule;
    schedule.wide = key.size() == 32;
    if (schedule.wide) {
        if (encrypt) aes256_set_encrypt_key(&schedule.broad, In(key));
        else aes256_set_decrypt_key(&schedule.broad, In(key));
    } else {
        if (encrypt) aes128_set_encrypt_key(&schedule.narrow, In(key));
        else aes128_set_decrypt_key(&schedule.narrow, In(key));
    }
    uint8_t chain[AesBlock];
    std::memcpy(chain, iv.data(), AesBlock);
    std::string out(data.size(), '\0');
    if (encrypt) cbc_encrypt(&schedule, AesEncrypt, AesBlock, chain, data.size(), Out(out), In(data));
    else cbc_decrypt(&schedule, AesDecrypt, AesBlock, chain, data.size(), Out(out), In(data));
    return out;
}

// The password of revisions 2 to 4: PDFDocEncoding, or the raw bytes when a character has none,
// at most 32 bytes.
std::string LegacyPassword(std::string_view utf8)
{
    // 32 characters take at most 128 UTF-8 bytes; cutting there first keeps huge input cheap.
    size_t cut = std::min(utf8.size(), size_t{128});
    while (cut > 0 && cut < utf8.size() && (static_cast<uint8_t>(utf8[cut]) & 0xC0) == 0x80) --cut;
    utf8 = utf8.substr(0, cut);
    std::string bytes = Utf8ToPdfDoc(utf8).value_or(std::string(utf8));
    bytes.resize(std::min(bytes.size(), size_t{32}));
    return bytes;
}

std::string Padded(std::string_view password)
{
    return std::string(password).append(Padding.substr(0, 32 - password.size()));
}

// The file key of revisions 2 to 4 from a padded user password.
std::string LegacyFileKey(const EncryptionParameters& p, std::string_view padded)
{
    const size_t length = static_cast<size_t>(p.keyBytes);
    const bool skipsMetadata = p.revision >= 4 && !p.encryptMetadata;
    std::string key = Digest(nettle_md5, {padded, std::string_view(p.owner).substr(0, 32),
                           LittleEndian(static_cast<uint32_t>(p.permissions), 4), p.firstId,
                           skipsMetadata ? "\xFF\xFF\xFF\xFF" : ""});
    if (p.revision >= 3)
        for (int i = 0; i < 50; ++i) key = Digest(nettle_md5, {std::string_view(key).substr(0, length)});
    key.resize(length);
    return key;
}

// Whether `key` is the file key, by /U.
bool LegacyKeyFits(const EncryptionParameters& p, std::string_view key)
{
    const std::string_view user(p.user);
    if (p.revision == 2) return Rc4(key, Padding) == user.substr(0, 32);
    return Rc4Passes(key, Digest(nettle_md5, {Padding, p.firstId}), false) == user.substr(0, 16);
}

// The padded user password that /O holds when `padded` is the owner password.
std::string LegacyUserFromOwner(const EncryptionParameters& p, std::string_view padded)
{
    std::string key = Digest(nettle_md5, {padded});
    if (p.revision >= 3)
        for (int i = 0; i < 50; ++i) key = Digest(nettle_md5, {key});
    key.resize(static_cast<size_t>(p.keyBytes));
    const std::string_view owner = std::string_view(p.owner).substr(0, 32);
    return p.revision == 2 ? Rc4(key, owner) : Rc4Passes(key, std::string(owner), true);
}

// The hash of revision 6 (for revision 5 a single SHA-256) of the password with a salt and,
// for the owner, the 48 bytes of /U.
std::string PasswordHash(int32_t revision, std::string_view password, std::string_view salt, std::string_view user)
{
    std::string k = Digest(nettle_sha256, {password, salt, user});
    if (revision == 5) return k;
    std::string block, e;
    // At least 64 rounds; then on until the last byte of E is at most the round number - 32,
    // which ends by round 288.
    for (int round = 0; round < 64 || static_cast<uint8_t>(e.back()) > round - 32; ++round) {
        block.clear();
        for (int i = 0; i < 64; ++i) block.append(password).append(k).append(user);
        const std::string_view kv(k);
        e = AesCbc(kv.substr(0, 16), kv.substr(16, 16), block, true);
        // The first 16 bytes as one number modulo 3: 256 leaves 1, so the byte sum does.
        int sum = 0;
        for (size_t i = 0; i < 16; ++i) sum += static_cast<uint8_t>(e[i]);
        k = Digest(sum % 3 == 0 ? nettle_sha256 : sum % 3 == 1 ? nettle_sha384 : nettle_sha512, {e});
    }
    k.resize(32);
    return k;
}

// The file key of revisions 5 and 6 when `password` (already cut) is the owner's or the user's.
std::optional<std::string> ModernFileKey(const EncryptionParameters& p, std::string_view password, bool owner)
{
    const std::string_view hashed(owner ? p.owner : p.user);
    const std::string_view user = owner ? std::string_view(p.user).substr(0, 48) : std::string_view();
    if (PasswordHash(p.revision, password, hashed.substr(32, 8), user) != hashed.substr(0, 32)) return std::nullopt;
    const std::string intermediate = PasswordHash(p.revision, password, hashed.substr(40, 8), user);
    const std::string_view wrapped(owner ? p.ownerKey : p.userKey);
    return AesCbc(intermediate, ZeroBlock, wrapped.substr(0, 32), false);
}

const char* MethodName(CryptMethod method)
{
    switch (method) {
    case CryptMethod::Identity: return "Identity";
    case CryptMethod::RC4: return "RC4";
    case CryptMethod::AESV2: return "AESV2";
    case CryptMethod::AESV3: return "AESV3";
    }
    return "?";
}

bool MethodFitsVersion(CryptMethod method, int32_t version)
{
    switch (version) {
    case 1:
    case 2: return method == CryptMethod::RC4;
    case 4: return method == CryptMethod::RC4 || method == CryptMethod::AESV2 || method == CryptMethod::Identity;
    default: return method == CryptMethod::AESV3 || method == CryptMethod::Identity;
    }
}

}  // namespace

std::string ParameterProblem(const EncryptionParameters& p)
{
    const auto unknown = [](const std::string& what) {
        return "Diese PDF-Datei verwendet ein unbekanntes Verschlüsselungsverfahren (" + what + ").";
    };
    const auto damaged = [](const std::string& what) {
        return "Die Verschlüsselungsangaben dieser PDF-Datei sind beschädigt (" + what + ").";
    };
    const std::string version = std::to_string(p.version);
    if (p.revision < 2 || p.revision > 6) return unknown("Revision " + std::to_string(p.revision));
    // Version 3 was never published.
    if (p.version != 1 && p.version != 2 && p.version != 4 && p.version != 5) return unknown("Version " + version);
    if ((p.version == 5) != (p.revision >= 5))
        return damaged("Revision " + std::to_string(p.revision) + " passt nicht zu Version " + version);
    for (CryptMethod method : {p.strings, p.streams})
        if (!MethodFitsVersion(method, p.version))
            return damaged(std::string(MethodName(method)) + " passt nicht zu Version " + version);
    if (p.revision <= 4) {
        if (p.keyBytes < 5 || p.keyBytes > 16)
            return damaged("/Length " + std::to_string(int64_t{p.keyBytes} * 8) +
                           " ist keine gültige Schlüssellänge");
        // The object keys of AESV2 take 16 bytes, which only a 128-bit file key gives.
        if ((p.strings == CryptMethod::AESV2 || p.streams == CryptMethod::AESV2) && p.keyBytes != 16)
            return damaged("AESV2 verlangt eine Schlüssellänge von 128 Bit");
    }
    const bool modern = p.revision >= 5;
    const struct {
        const std::string& value;
        size_t least;
        const char* name;
    } lengths[] = {{p.owner, modern ? 48u : 32u, "/O"},
                   {p.user, modern ? 48u : 32u, "/U"},
                   {p.ownerKey, modern ? 32u : 0u, "/OE"},
                   {p.userKey, modern ? 32u : 0u, "/UE"},
                   {p.perms, modern ? 16u : 0u, "/Perms"}};
    for (const auto& length : lengths)
        if (length.value.size() < length.least) return damaged(std::string(length.name) + " hat die falsche Länge");
    return {};
}

SecurityHandler::SecurityHandler(EncryptionParameters parameters) : parameters_(std::move(parameters)) {}

Access SecurityHandler::Authenticate(std::string_view password)
{
    fileKey_.clear();
    // Parameters that fail the check would send the reads below outside the strings.
    if (!ParameterProblem(parameters_).empty()) return Access::Denied;
    const EncryptionParameters& p = parameters_;
    if (p.revision >= 5) {
        password = password.substr(0, std::min(password.size(), ModernPasswordBytes));
        for (const bool owner : {true, false}) {
            if (auto key = ModernFileKey(p, password, owner)) {
                fileKey_ = std::move(*key);
                return owner ? Access::Owner : Access::User;
            }
        }
        return Access::Denied;
    }
    const std::string padded = Padded(LegacyPassword(password));
    // The owner password unlocks the user password, which gives the file key.
    std::string key = LegacyFileKey(p, LegacyUserFromOwner(p, padded));
    if (LegacyKeyFits(p, key)) {
        fileKey_ = std::move(key);
        return Access::Owner;
    }
    key = LegacyFileKey(p, padded);
    if (LegacyKeyFits(p, key)) {
        fileKey_ = std::move(key);
        return Access::User;
    }
    return Access::Denied;
}

bool SecurityHandler::PermsAgree() const
{
    if (parameters_.revision < 5) return true;
    if (fileKey_.size() != 32 || parameters_.perms.size() < AesBlock) return false;
    const std::string_view perms(parameters_.perms);
    const std::string plain = AesCbc(fileKey_, ZeroBlock, perms.substr(0, AesBlock), false);
    const std::string_view view(plain);
    return view.substr(9, 3) == "adb" &&
           view.substr(0, 4) == LittleEndian(static_cast<uint32_t>(parameters_.permissions), 4) &&
           view[8] == (parameters_.encryptMetadata ? 'T' : 'F');
}

std::optional<std::string> SecurityHandler::DecryptString(std::string_view data, int32_t number,
                                                          int32_t generation) const
{
    return Decrypt(parameters_.strings, data, number, generation);
}

std::optional<std::string> SecurityHandler::DecryptStream(std::string_view data, int32_t number,
                                                          int32_t generation) const
{
    return Decrypt(parameters_.streams, data, number, generation);
}

std::string SecurityHandler::EncryptString(std::string_view data, int32_t number, int32_t generation) const
{
    return Encrypt(parameters_.strings, data, number, generation);
}

std::string SecurityHandler::EncryptStream(std::string_view data, int32_t number, int32_t generation) const
{
    return Encrypt(parameters_.streams, data, number, generation);
}

std::string SecurityHandler::ObjectKey(CryptMethod method, int32_t number, int32_t generation) const
{
    if (method == CryptMethod::AESV3) return fileKey_;
    std::string key = Digest(nettle_md5, {fileKey_, LittleEndian(static_cast<uint32_t>(number), 3),
                           LittleEndian(static_cast<uint32_t>(generation), 2),
                           method == CryptMethod::AESV2 ? "sAlT" : ""});
    key.resize(std::min(fileKey_.size() + 5, key.size()));
    return key;
}

std::optional<std::string> SecurityHandler::Decrypt(CryptMethod method, std::string_view data, int32_t number,
                                                    int32_t generation) const
{
    if (method == CryptMethod::Identity) return std::string(data);
    if (fileKey_.empty()) return std::nullopt;
    const std::string key = ObjectKey(method, number, generation);
    if (method == CryptMethod::RC4) return Rc4(key, data);
    if (data.size() < AesBlock || data.size() % AesBlock != 0) return std::nullopt;
    std::string plain = AesCbc(key, data.substr(0, AesBlock), data.substr(AesBlock), false);
    // Some writers give an empty string as the initialisation vector alone.
    if (plain.empty()) return plain;
    const size_t padding = static_cast<uint8_t>(plain.back());
    if (padding == 0 || padding > AesBlock) return std::nullopt;
    for (size_t i = plain.size() - padding; i < plain.size(); ++i)
        if (static_cast<uint8_t>(plain[i]) != padding) return std::nullopt;
    plain.resize(plain.size() - padding);
    return plain;
}

std::string SecurityHandler::Encrypt(CryptMethod method, std::string_view data, int32_t number,
                                     int32_t generation) const
{
    if (method == CryptMethod::Identity) return std::string(data);
    if (fileKey_.empty()) return {};
    const std::string key = ObjectKey(method, number, generation);
    if (method == CryptMethod::RC4) return Rc4(key, data);
    const size_t padding = AesBlock - data.size() % AesBlock;
    const std::string padded = std::string(data).append(padding, static_cast<char>(padding));
    const std::string iv = RandomBytes(AesBlock);
    return iv + AesCbc(key, iv, padded, true);
}

SecurityHandler SecurityHandler::CreateAes256(std::string_view userPassword, std::string_view ownerPassword,
                                              int32_t permissions)
{
    EncryptionParameters p;
    p.version = 5;
    p.revision = 6;
    p.keyBytes = 32;
    p.permissions = permissions;
    p.strings = p.streams = p.embeddedFiles = CryptMethod::AESV3;
    p.cryptFilters = {{"/StdCF", CryptMethod::AESV3}};
    const std::string fileKey = RandomBytes(32);
    // A hash with a validation salt and a key salt, and the file key wrapped under the second.
    const auto seal = [&](std::string_view password, std::string_view user, std::string& hashed, std::string& wrapped) {
        password = password.substr(0, std::min(password.size(), ModernPasswordBytes));
        const std::string salts = RandomBytes(16);
        const std::string_view saltView(salts);
        hashed = PasswordHash(6, password, saltView.substr(0, 8), user) + salts;
        wrapped = AesCbc(PasswordHash(6, password, saltView.substr(8), user), ZeroBlock, fileKey, true);
    };
    seal(userPassword, {}, p.user, p.userKey);
    seal(ownerPassword, p.user, p.owner, p.ownerKey);
    const std::string perms =
        LittleEndian(static_cast<uint32_t>(permissions), 4) + "\xFF\xFF\xFF\xFF" + "Tadb" + RandomBytes(4);
    p.perms = AesCbc(fileKey, ZeroBlock, perms, true);
    SecurityHandler handler(std::move(p));
    handler.fileKey_ = fileKey;
    return handler;
}

int32_t PermissionsDenying(int32_t denied)
{
    // Bits 1 and 2 stay clear; each permission takes its related bits along.
    const auto bit = [](int n) { return uint32_t{1} << (n - 1); };
    uint32_t bits = 0xFFFFFFFC;
    if (denied & PermitPrint) bits &= ~(bit(3) | bit(12));     // and faithful printing
    if (denied & PermitModify) bits &= ~(bit(4) | bit(11));    // and assembling pages
    if (denied & PermitCopy) bits &= ~bit(5);                  // extraction for accessibility (10) stays
    if (denied & PermitAnnotate) bits &= ~(bit(6) | bit(9));   // and filling in forms
    return static_cast<int32_t>(bits);
}

std::string RandomBytes(size_t count)
{
    std::string out(count, '\0');
    for (size_t filled = 0; filled < count;) {
        const ssize_t got = getrandom(out.data() + filled, count - filled, 0);
        if (got > 0) filled += static_cast<size_t>(got);
        // Keys from a broken random source would protect nothing.
        else if (got < 0 && errno != EINTR) std::abort();
    }
    return out;
}

}  // namespace folivo
