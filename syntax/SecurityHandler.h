// The standard security handler of encrypted files (revisions 2 to 6): which passwords open a
// document, the file key, and the ciphers of strings and stream data. The primitives (MD5, RC4,
// AES, SHA-2) come from Nettle.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace folivo {

enum class CryptMethod : uint8_t { Identity, RC4, AESV2, AESV3 };

// What an /Encrypt dictionary of the standard handler says, its strings as bytes.
struct EncryptionParameters {
    int32_t version = 0;   // /V
    int32_t revision = 0;  // /R
    // The file key's length in bytes: /Length / 8 for V2 and V3 (5 when absent), 5 for V1,
    // 16 for V4, 32 for V5.
    int32_t keyBytes = 5;
    std::string owner;     // /O
    std::string user;      // /U
    std::string ownerKey;  // /OE (revisions 5 and 6)
    std::string userKey;   // /UE
    std::string perms;     // /Perms
    int32_t permissions = 0;  // /P
    bool encryptMetadata = true;
    // The methods of /StrF and /StmF (V4 and V5); RC4 for V1 to V3.
    CryptMethod strings = CryptMethod::RC4;
    CryptMethod streams = CryptMethod::RC4;
    // The crypt filters of /CF by name, for streams that choose one with a /Crypt filter of their
    // own, and the method of embedded files (/EFF, else the streams' method).
    std::map<std::string, CryptMethod> cryptFilters;
    CryptMethod embeddedFiles = CryptMethod::RC4;
    // The first element of the trailer's /ID (used by revisions 2 to 4).
    std::string firstId;
};

// Why the parameters cannot be used, in German for the user; empty when they can: the
// revision and version are known, /Length is a multiple of 8 from 40 to 128 (V2, V3), /O and
// /U hold 32 bytes (48 from revision 5 on, with 32 of /OE and /UE and 16 of /Perms).
std::string ParameterProblem(const EncryptionParameters& parameters);

// Permission bits of /P (counted from 1, as the bits are named).
constexpr int32_t PermitPrint = 1 << 2;
constexpr int32_t PermitModify = 1 << 3;
constexpr int32_t PermitCopy = 1 << 4;
constexpr int32_t PermitAnnotate = 1 << 5;

enum class Access { Denied, User, Owner };

class SecurityHandler {
public:
    // Parameters that fail ParameterProblem open with no password.
    explicit SecurityHandler(EncryptionParameters parameters);

    // Tries `password` (UTF-8) as the owner password, then as the user password; on success
    // the file key is known. Revisions 2 to 4 take the password in PDFDocEncoding (its raw
    // bytes when a character has none) cut to 32 bytes; 5 and 6 take UTF-8 cut to 127 bytes.
    Access Authenticate(std::string_view password);

    const EncryptionParameters& Parameters() const { return parameters_; }
    const std::string& FileKey() const { return fileKey_; }
    // Revision 6 (and 5): /Perms, decrypted with the file key, agrees with /P and
    // /EncryptMetadata. Always true for revisions 2 to 4.
    bool PermsAgree() const;

    // The plain bytes of a string or of a stream's data of object `number`, `generation`;
    // empty when AES data is shorter than one block, not whole blocks or badly padded (the
    // initialisation vector alone is the empty text), or before a successful Authenticate.
    std::optional<std::string> DecryptString(std::string_view data, int32_t number, int32_t generation) const;
    std::optional<std::string> DecryptStream(std::string_view data, int32_t number, int32_t generation) const;
    // The encrypted bytes; AES takes a fresh random initialisation vector each time. Nothing
    // without a file key (Identity gives the bytes as they are).
    std::string EncryptString(std::string_view data, int32_t number, int32_t generation) const;
    std::string EncryptStream(std::string_view data, int32_t number, int32_t generation) const;
    // The same with a method of the caller's choice (a stream's own crypt filter).
    std::optional<std::string> Decrypt(CryptMethod method, std::string_view data, int32_t number,
                                       int32_t generation) const;
    std::string Encrypt(CryptMethod method, std::string_view data, int32_t number, int32_t generation) const;

    // New protection: AES-256, revision 6, with a fresh random file key and salts; the returned
    // handler is authenticated as owner. `permissions` is the /P value.
    static SecurityHandler CreateAes256(std::string_view userPassword, std::string_view ownerPassword,
                                        int32_t permissions);

private:
    // The file key for AESV3; otherwise derived from it and the object's number and generation.
    std::string ObjectKey(CryptMethod method, int32_t number, int32_t generation) const;

    EncryptionParameters parameters_;
    std::string fileKey_;
};

// The /P value of new protection: everything allowed but what `denied` takes away (any of
// PermitPrint, PermitModify, PermitCopy, PermitAnnotate, each with its related bits).
int32_t PermissionsDenying(int32_t denied);

// `count` bytes from the system's random source.
std::string RandomBytes(size_t count);

}  // namespace folivo
