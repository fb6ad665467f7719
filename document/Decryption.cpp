// Encrypted files: the /Encrypt dictionary, the password that opens the file, and a plain copy of
// every object behind the file's bytes, so that everything that reads or copies objects reads
// them as in any other file.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>

#include "core/SilentPort.h"
#include "document/PdfDocument.h"
#include "model/TextStrings.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/Names.h"
#include "syntax/ObjectCipher.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

constexpr const char* PasswordNeededMessage =
    "Diese PDF-Datei ist durch ein Kennwort geschützt. Ohne das richtige Kennwort kann sie nicht geöffnet werden.";
constexpr const char* WrongPasswordMessage = "Das Kennwort ist falsch. Die PDF-Datei wurde nicht geöffnet.";

std::optional<int32_t> IntegerValue(const TokenList& tokens, size_t at)
{
    if (at == 0) return std::nullopt;
    return IntegerText(tokens[at]);
}

// /P as the 32 bits it stands for: some files write it unsigned.
int32_t PermissionsValue(const TokenList& tokens, size_t at)
{
    const auto value = at == 0 ? std::nullopt : NumberText(tokens[at]);
    if (!value || *value < INT32_MIN || *value > UINT32_MAX) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(*value)));
}

std::string NameValue(const TokenList& tokens, size_t at) { return at == 0 ? std::string() : tokens[at]; }

// The method of the crypt filter dictionary whose "<<" is tokens[filter].
std::optional<CryptMethod> FilterDictionaryMethod(const TokenList& tokens, size_t filter)
{
    if (filter == 0 || tokens[filter] != "<<") return std::nullopt;
    const std::string method = NameValue(tokens, ValueIndex(tokens, filter, "/CFM"));
    if (method == "/V2") return CryptMethod::RC4;
    if (method == "/AESV2") return CryptMethod::AESV2;
    if (method == "/AESV3") return CryptMethod::AESV3;
    if (method.empty() || method == "/None") return CryptMethod::Identity;
    return std::nullopt;
}

// The method of the crypt filter `name` in the /CF dictionary that starts at tokens[cf].
std::optional<CryptMethod> CryptFilterMethod(const TokenList& tokens, size_t cf, const std::string& name)
{
    if (name.empty() || name == "/Identity") return CryptMethod::Identity;
    if (cf == 0 || tokens[cf] != "<<") return std::nullopt;
    return FilterDictionaryMethod(tokens, ValueIndex(tokens, cf, name));
}

// Every crypt filter of the /CF dictionary at tokens[cf] whose method is known, in one walk
// over it: a dictionary of many filters costs no more than its tokens.
std::map<std::string, CryptMethod> CryptFilters(const TokenList& tokens, size_t cf)
{
    std::map<std::string, CryptMethod> filters;
    if (cf == 0 || tokens[cf] != "<<") return filters;
    VisitTopLevelNames(tokens, cf, [&](size_t i) {
        if (const auto method = FilterDictionaryMethod(tokens, i + 1)) filters.emplace(tokens[i], *method);
        return true;
    });
    return filters;
}

// The crypt filter that a stream's own /Crypt filter names in its /DecodeParms: /Identity when
// they name none; empty when the stream has no /Crypt filter.
std::string OwnCryptFilter(const TokenList& tokens)
{
    const size_t filter = ValueIndex(tokens, 0, "/Filter");
    if (filter == 0) return {};
    size_t position = 0;
    if (tokens[filter] == "[") {
        for (size_t i = filter + 1; i < tokens.size() && tokens[i] != "]" && tokens[i] != "/Crypt"; ++i) ++position;
        if (filter + 1 + position >= tokens.size() || tokens[filter + 1 + position] != "/Crypt") return {};
    } else if (tokens[filter] != "/Crypt") {
        return {};
    }
    TokenList parameters;
    if (const size_t at = ValueIndex(tokens, 0, "/DecodeParms"); at != 0 && tokens[at] == "[") {
        const std::vector<TokenList> elements = ArrayElements(tokens, at);
        if (position < elements.size()) parameters = elements[position];
    } else if (at != 0) {
        parameters.assign(tokens.begin() + static_cast<std::ptrdiff_t>(at), tokens.end());
    }
    if (parameters.empty() || parameters[0] != "<<") return "/Identity";
    const size_t name = ValueIndex(parameters, 0, "/Name");
    return name != 0 && parameters[name].front() == '/' ? parameters[name] : "/Identity";
}

}  // namespace

std::optional<SecurityHandler> PdfDocument::ReadSecurityHandler()
{
    if (encryptionSource_.found) {
        // Inside an object stream it could only be read after decrypting.
        const int32_t number = encryptionSource_.objectNumber;
        if (!objects.InUse(number) || XrefTable[static_cast<size_t>(number)].compressed || !GotoObject(number)) {
            ShowError("Die Verschlüsselungsangaben dieser PDF-Datei fehlen.");
            return std::nullopt;
        }
        // A comment may stand between the header and the dictionary.
        while (fileBuffer.position < fileBuffer.size && fileBuffer.data[fileBuffer.position] == '%') {
            SkipLine(fileBuffer);
            while (fileBuffer.position < fileBuffer.size && IsWhiteSpace(static_cast<char>(fileBuffer.data[fileBuffer.position])))
                ++fileBuffer.position;
        }
        encryptionTextStart_ = fileBuffer.position;
    }
    const TokenList tokens = objects.DictionaryAt(encryptionTextStart_);

    const std::string filter = NameValue(tokens, ValueIndex(tokens, 0, "/Filter"));
    if (filter != "/Standard") {
        ShowError("Diese PDF-Datei ist mit einem unbekannten Verfahren verschlüsselt (" +
                  (filter.empty() ? std::string("ohne /Filter") : "/Filter " + ReadableName(filter)) +
                  ") und kann nicht gelesen werden.");
        return std::nullopt;
    }
    EncryptionParameters parameters;
    parameters.version = IntegerValue(tokens, ValueIndex(tokens, 0, "/V")).value_or(0);
    parameters.revision = IntegerValue(tokens, ValueIndex(tokens, 0, "/R")).value_or(0);
    const auto lengthBits = IntegerValue(tokens, ValueIndex(tokens, 0, "/Length"));
    if (lengthBits && (*lengthBits % 8 != 0 || *lengthBits > 256 || *lengthBits < 0)) {
        ShowError("Die Verschlüsselungsangaben dieser PDF-Datei sind beschädigt (/Length " + std::to_string(*lengthBits) +
                  " ist keine gültige Schlüssellänge).");
        return std::nullopt;
    }
    switch (parameters.version) {
    case 1: parameters.keyBytes = 5; break;
    case 2:
    case 3: parameters.keyBytes = lengthBits.value_or(40) / 8; break;
    case 4: parameters.keyBytes = lengthBits ? *lengthBits / 8 : 16; break;
    default: parameters.keyBytes = 32; break;
    }
    auto bytesOf = [&](const char* key) {
        const size_t at = ValueIndex(tokens, 0, key);
        return at == 0 ? std::string() : StringValueBytes(tokens, at);
    };
    parameters.owner = bytesOf("/O");
    parameters.user = bytesOf("/U");
    parameters.ownerKey = bytesOf("/OE");
    parameters.userKey = bytesOf("/UE");
    parameters.perms = bytesOf("/Perms");
    parameters.permissions = PermissionsValue(tokens, ValueIndex(tokens, 0, "/P"));
    parameters.encryptMetadata = NameValue(tokens, ValueIndex(tokens, 0, "/EncryptMetadata")) != "false";
    if (parameters.version >= 4) {
        const size_t cf = ValueIndex(tokens, 0, "/CF");
        const auto strings = CryptFilterMethod(tokens, cf, NameValue(tokens, ValueIndex(tokens, 0, "/StrF")));
        const auto streams = CryptFilterMethod(tokens, cf, NameValue(tokens, ValueIndex(tokens, 0, "/StmF")));
        if (!strings || !streams) {
            ShowError("Diese PDF-Datei verwendet einen unbekannten Verschlüsselungsfilter und kann nicht gelesen werden.");
            return std::nullopt;
        }
        parameters.strings = *strings;
        parameters.streams = *streams;
        parameters.cryptFilters = CryptFilters(tokens, cf);
    }
    parameters.embeddedFiles = parameters.streams;
    if (const std::string name = NameValue(tokens, ValueIndex(tokens, 0, "/EFF")); !name.empty() && parameters.version >= 4) {
        const auto files = CryptFilterMethod(tokens, ValueIndex(tokens, 0, "/CF"), name);
        if (!files) {
            ShowError("Diese PDF-Datei verwendet einen unbekannten Verschlüsselungsfilter und kann nicht gelesen werden.");
            return std::nullopt;
        }
        parameters.embeddedFiles = *files;
    }
    parameters.firstId = fileIds.empty() ? std::string() : fileIds.front();
    if (const std::string problem = ParameterProblem(parameters); !problem.empty()) {
        ShowError(problem);
        return std::nullopt;
    }
    return SecurityHandler(std::move(parameters));
}

bool PdfDocument::AcceptPassword(const uint8_t* bytes, int32_t size, const std::string& path)
{
    // Only a file that mentions /Encrypt at all, in any spelling, is looked at before reading.
    if (!password.empty()) return true;
    const std::string_view file(reinterpret_cast<const char*>(bytes), static_cast<size_t>(std::max(size, 0)));
    if (!MayMentionName(file, "/Encrypt")) return true;
    SilentPort silent;
    PdfDocument look(silent);
    look.fileBuffer = {bytes, size, 0};
    look.ReadCrossReferenceStructure();
    if (!look.encrypted) return true;
    auto handler = look.ReadSecurityHandler();
    // What cannot be used is reported by the reading itself.
    if (!handler || handler->Authenticate("") != Access::Denied) return true;
    std::string entered;
    for (bool again = false;; again = true) {
        switch (ui_.AskPassword(path, again, entered)) {
        case PasswordAnswer::CannotAsk: return true;
        case PasswordAnswer::Cancelled: return false;
        case PasswordAnswer::Entered: break;
        }
        if (handler->Authenticate(entered) != Access::Denied) {
            password = std::move(entered);
            return true;
        }
    }
}

void PdfDocument::OpenEncryption()
{
    std::string given;
    given.swap(password);
    auto handler = ReadSecurityHandler();
    if (!handler) {
        refused_ = true;
        return;
    }
    const Access access = handler->Authenticate(given);
    if (access == Access::Denied) {
        ShowError(given.empty() ? PasswordNeededMessage : WrongPasswordMessage);
        refused_ = true;
        return;
    }
    if (!handler->PermsAgree())
        ui_.AddMemoLine("Die Berechtigungen der Verschlüsselung sind widersprüchlich; es gelten die Angaben von /P.");
    encryption.handler = std::make_shared<const SecurityHandler>(std::move(*handler));
    encryption.access = access;
    encryption.openedWithEmptyPassword = given.empty();
    encryption.objectNumber = encryptionSource_.found ? encryptionSource_.objectNumber : 0;
    encryption.dictionaryText = DictionaryText(encryptionTextStart_);
    DecryptObjects();
}

std::string PdfDocument::DictionaryText(int32_t position)
{
    FileBuffer cursor = objects.CursorAt(position);
    std::string text;
    const std::string_view file(reinterpret_cast<const char*>(cursor.data), static_cast<size_t>(cursor.size));
    const size_t opening = file.find("<<", static_cast<size_t>(std::max(position, 0)));
    if (ReadToken(cursor) == "<<" && opening != std::string_view::npos) {
        const auto start = static_cast<int32_t>(opening);
        int depth = 0;
        while (cursor.position < cursor.size) {
            const std::string token = ReadToken(cursor);
            if (token == "<<") ++depth;
            if (token == ">>" && depth-- == 0) break;
        }
        // The position is after ">>" and the blanks behind it.
        int32_t end = std::min(cursor.position, cursor.size);
        while (end > start && cursor.data[end - 1] != '>') --end;
        text.assign(reinterpret_cast<const char*>(cursor.data) + start, static_cast<size_t>(end - start));
    }
    return text;
}

CryptMethod PdfDocument::StreamMethod(int32_t number, const EncryptionParameters& parameters)
{
    CryptMethod method = parameters.streams;
    if (const auto position = objects.AnyValuePosition(number)) {
        const TokenList tokens = objects.DictionaryAt(*position);
        const std::string type = NameValue(tokens, ValueIndex(tokens, 0, "/Type"));
        if (const std::string own = OwnCryptFilter(tokens); !own.empty()) {
            // A name the /CF dictionary does not hold is taken as the identity filter.
            const auto named = parameters.cryptFilters.find(own);
            method = named != parameters.cryptFilters.end() ? named->second : CryptMethod::Identity;
        } else if (type == "/Metadata" && !parameters.encryptMetadata) {
            // The document's metadata may stay readable to tools that do not decrypt.
            method = CryptMethod::Identity;
        } else if (type == "/EmbeddedFile") {
            method = parameters.embeddedFiles;
        }
    }
    return method;
}

void PdfDocument::DecryptObjects()
{
    const SecurityHandler& handler = *encryption.handler;
    const EncryptionParameters& parameters = handler.Parameters();

    std::string appended;
    std::vector<std::pair<int32_t, size_t>> placed;
    const std::string_view file(reinterpret_cast<const char*>(fileBuffer.data), static_cast<size_t>(fileBuffer.size));
    for (size_t index = 1; index < XrefTable.size(); ++index) {
        const auto number = static_cast<int32_t>(index);
        const XrefEntry& entry = XrefTable[index];
        if (!entry.inUse || entry.compressed || IsStructuralObject(number) || number == encryption.objectNumber ||
            !ObjectHeaderAt(entry.offset, number))
            continue;
        bool isStream = false;
        int32_t length = -1;
        const int64_t end = ObjectEnd(entry.offset, &isStream, &length);
        const CryptMethod dataMethod = isStream ? StreamMethod(number, parameters) : parameters.streams;
        const int32_t generation = entry.generation;
        const ConvertedObject converted = ConvertObject(
            file.substr(static_cast<size_t>(entry.offset), static_cast<size_t>(end - entry.offset)),
            length >= 0 ? std::optional<int64_t>(length) : std::nullopt,
            [&](std::string_view bytes) { return handler.DecryptString(bytes, number, generation); },
            [&](std::string_view bytes) { return handler.Decrypt(dataMethod, bytes, number, generation); });
        if (converted.rejectedData)
            ui_.AddMemoLine("Die Daten von Objekt " + std::to_string(number) +
                            " konnten nicht entschlüsselt werden und bleiben leer.");
        if (converted.rejectedStrings > 0)
            ui_.AddMemoLine("Zeichenketten in Objekt " + std::to_string(number) +
                            " konnten nicht entschlüsselt werden und bleiben leer.");
        placed.emplace_back(number, appended.size());
        appended += converted.text;
        appended += '\n';
    }
    if (!AppendObjects(appended, placed)) {
        ShowError("Diese PDF-Datei ist zu groß, um sie entschlüsselt zu lesen.");
        refused_ = true;
    }
}

}  // namespace folivo
