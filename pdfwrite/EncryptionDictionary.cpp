#include "pdfwrite/EncryptionDictionary.h"

#include "syntax/ObjectCipher.h"

namespace folivo {

namespace {

const char* MethodName(CryptMethod method)
{
    switch (method) {
    case CryptMethod::RC4: return "/V2";
    case CryptMethod::AESV2: return "/AESV2";
    case CryptMethod::AESV3: return "/AESV3";
    case CryptMethod::Identity: break;
    }
    return "/None";
}

}  // namespace

std::string EncryptionDictionaryText(const EncryptionParameters& parameters)
{
    std::string text = "<< /Filter /Standard /V " + std::to_string(parameters.version) + " /R " +
                       std::to_string(parameters.revision) + " /Length " + std::to_string(parameters.keyBytes * 8);
    if (parameters.version >= 4) {
        text += " /CF << /StdCF << /AuthEvent /DocOpen /CFM " + std::string(MethodName(parameters.streams)) + " /Length " +
                std::to_string(parameters.keyBytes) + " >> >> /StmF /StdCF /StrF /StdCF";
    }
    text += " /O " + HexStringText(parameters.owner) + " /U " + HexStringText(parameters.user);
    if (parameters.revision >= 5) {
        text += " /OE " + HexStringText(parameters.ownerKey) + " /UE " + HexStringText(parameters.userKey) + " /Perms " +
                HexStringText(parameters.perms);
    }
    text += " /P " + std::to_string(parameters.permissions);
    text += parameters.encryptMetadata ? " /EncryptMetadata true >>" : " /EncryptMetadata false >>";
    return text;
}

}  // namespace folivo
