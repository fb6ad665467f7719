// The /Encrypt dictionary that new protection writes.
#pragma once

#include <string>

#include "syntax/SecurityHandler.h"

namespace folivo {

// "<< /Filter /Standard ... >>" for the parameters: version, revision, key length, the crypt
// filter of version 4 and 5, the password entries and the permissions.
std::string EncryptionDictionaryText(const EncryptionParameters& parameters);

}  // namespace folivo
