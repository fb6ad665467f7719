// The standard security handler: files a peer tool encrypted, round trips of every method, new
// protection (also opened by the peer tool), damaged AES data and unusable parameters.
#include <gtest/gtest.h>

#include <tuple>

#include "syntax/ObjectCipher.h"
#include "syntax/SecurityHandler.h"
#include "syntax/TokenReader.h"
#include "tests/ScratchFolder.h"
#include "tests/TestDocuments.h"
#include "tests/ToolOutput.h"

namespace folivo {
namespace {

// Files qpdf 11 encrypted with owner password "owner"; object 2's title string is "Geheime Notiz".
struct PeerFile {
    const char* name;
    int32_t version, revision, keyBytes, permissions;
    CryptMethod method;
    const char *owner, *user, *ownerKey, *userKey, *perms, *id, *title;
    const char *userPassword, *wrongPassword;
};
const PeerFile PeerFiles[] = {
    {"RC4 40", 1, 2, 5, -4, CryptMethod::RC4,
     "94e8094419662a774442fb072e3d9f19e9d130ec09a4d0061e78fe920f7ab62f",
     "425c52c7d3ab5a4e839a5ab2cd6e0f7bbedd163bdfa733774656b35d96d60498", "", "", "",
     "7496ab334463ccc8612be8c284dbfed3", "b3a9da5af194f7e912dc0bdd43", "user", "User"},
    {"RC4 128", 2, 3, 16, -4, CryptMethod::RC4,
     "0ba3835f88f90388e74e54584125ce142be0de24c6b0d37746e075b891756671",
     "a25dda43733343fa7ad5b744b87e9d570122456a91bae5134273a6db134c87c4", "", "", "",
     "583800eeca5aadea24d93149f42f6cf0", "e82dcf683a572898024b070890", "user", ""},
    {"AESV2, user password with umlaut", 4, 4, 16, -4, CryptMethod::AESV2,
     "332c8a41c5346569e765906caf64e4429a4c20d6e996fdef963e9b5080f9e083",
     "9043dcd7cb30dc82bb1f37432217dc960122456a91bae5134273a6db134c87c4", "", "", "",
     "644bc365707a1a4de624ad804c05372d", "d170d93a34905d122509535932e843280d6d8370327c60fd6e03c9de649f9f02",
     "Müller", "Muller"},
    {"AESV3, revision 5", 5, 5, 32, -4, CryptMethod::AESV3,
     "6e80ee35305858d5b324ba4e250de37d97d7a912de9a317c522f39aa5d0ec7cf8333df348b03cd1a3bc7c369841af65b",
     "b3339c839f129c9f088ec52b0bdca442c61fe867e4226f22cdf3fd0e25863c4ba813bfb98106796503d03929f4e85833",
     "804e61eb35777e8ff3590fded534a613db1b3d6406b6c570569913c72f033f35",
     "215c73f16a4b0de179849b1646ad3d2fe074c6240daeacd5ffdd6e4d89972af1", "d8de5ab056acad9babf9c4ff2e273e40",
     "cb9916919410ca05e690011402e0c48b", "3d9dfb2e8fce9ebe90a8208a143a217896e4748e801cf6bb2b194d863057cb95", "user",
     ""},
    {"AESV3, revision 6, empty user password, all denied", 5, 6, 32, -3392, CryptMethod::AESV3,
     "26a3c1aedfbc0d67d2668be14e0a5d52600a0497efd0d6c98b883a330278e0eac62f566bbda062beae6753d820b5465d",
     "fb8d0e20242d576e77e109f84d1e0f12bb62fc43b181b1aaddb7c277a63d891ed17965d68bc02ea3393d6badaae28ec0",
     "fedb7cc8b74f0678826ab8fcc84a174b5839baba126de57f316e0d5afcc8b8fb",
     "ccd738aad77a77df1ff77d7ab79542b518597eeb1cac121e572f07a863cdf463", "86018351360f464b79525941d17b1c70",
     "9faa1f0e866b7415c99a80b62f491946", "c3ee21828173dbf6e5c646c784ffe72920e1785ce2a373bbc57619ff5a6ea946", "",
     "user"},
};

EncryptionParameters ParametersOf(const PeerFile& file)
{
    EncryptionParameters p;
    p.version = file.version;
    p.revision = file.revision;
    p.keyBytes = file.keyBytes;
    p.permissions = file.permissions;
    p.strings = p.streams = file.method;
    p.owner = HexStringBytes(file.owner);
    p.user = HexStringBytes(file.user);
    p.ownerKey = HexStringBytes(file.ownerKey);
    p.userKey = HexStringBytes(file.userKey);
    p.perms = HexStringBytes(file.perms);
    p.firstId = HexStringBytes(file.id);
    return p;
}

TEST(SecurityHandler, OpensFilesOfAPeerTool)
{
    for (const PeerFile& file : PeerFiles) {
        SCOPED_TRACE(file.name);
        const std::string title = HexStringBytes(file.title);
        SecurityHandler handler(ParametersOf(file));
        ASSERT_EQ(ParameterProblem(handler.Parameters()), "");
        EXPECT_EQ(handler.Authenticate(file.wrongPassword), Access::Denied);
        EXPECT_EQ(handler.DecryptString(title, 2, 0), std::nullopt);
        EXPECT_EQ(handler.Authenticate("owner"), Access::Owner);
        EXPECT_EQ(handler.DecryptString(title, 2, 0), "Geheime Notiz");
        EXPECT_EQ(handler.Authenticate(file.userPassword), Access::User);
        EXPECT_EQ(handler.DecryptString(title, 2, 0), "Geheime Notiz");
        EXPECT_TRUE(handler.PermsAgree());
        // Below revision 5 every object has its own key.
        if (file.method != CryptMethod::AESV3) {
            EXPECT_NE(handler.DecryptString(title, 2, 1), "Geheime Notiz");
        }
    }
    // The key covers the metadata flag (revision 4); /Perms covers /P (revision 6).
    EncryptionParameters flag = ParametersOf(PeerFiles[2]);
    flag.encryptMetadata = false;
    EXPECT_EQ(SecurityHandler(flag).Authenticate("Müller"), Access::Denied);
    EncryptionParameters widened = ParametersOf(PeerFiles[4]);
    widened.permissions = -4;
    SecurityHandler handler(widened);
    EXPECT_EQ(handler.Authenticate(""), Access::User);
    EXPECT_FALSE(handler.PermsAgree());
    // Longer /O and /U count with their first 32 bytes.
    EncryptionParameters longer = ParametersOf(PeerFiles[1]);
    longer.owner += "extra";
    longer.user += "extra";
    EXPECT_EQ(SecurityHandler(longer).Authenticate("owner"), Access::Owner);
}

TEST(SecurityHandler, EveryMethodRoundTrips)
{
    std::vector<SecurityHandler> handlers;
    for (size_t i : {0, 1, 2}) {
        handlers.emplace_back(ParametersOf(PeerFiles[i]));
        ASSERT_NE(handlers.back().Authenticate(PeerFiles[i].userPassword), Access::Denied);
    }
    handlers.push_back(SecurityHandler::CreateAes256("a", "b", -4));
    EncryptionParameters identity = ParametersOf(PeerFiles[2]);
    identity.strings = identity.streams = CryptMethod::Identity;
    handlers.emplace_back(identity);
    for (const SecurityHandler& handler : handlers) {
        const CryptMethod method = handler.Parameters().strings;
        const bool aes = method == CryptMethod::AESV2 || method == CryptMethod::AESV3;
        for (const std::string& text : {std::string(), std::string("x"), std::string(15, 'a'), std::string(16, 'b'),
                                        std::string(17, 'c'), std::string(5000, '\xAB')}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(method)) + ": " + std::to_string(text.size()));
            const std::string string = handler.EncryptString(text, 7, 1), stream = handler.EncryptStream(text, 7, 1);
            EXPECT_EQ(handler.DecryptString(string, 7, 1), text);
            EXPECT_EQ(handler.DecryptStream(stream, 7, 1), text);
            EXPECT_EQ(string.size(), aes ? 16 + (text.size() / 16 + 1) * 16 : text.size());
            if (method != CryptMethod::Identity && !text.empty()) {
                EXPECT_NE(string, text);
            }
            if (aes) {
                EXPECT_NE(handler.EncryptString(text, 7, 1), string);  // a fresh vector each time
            }
        }
    }
}

TEST(SecurityHandler, NewProtection)
{
    const SecurityHandler made = SecurityHandler::CreateAes256("Lesen", "Ändern", PermissionsDenying(PermitModify));
    EXPECT_EQ(ParameterProblem(made.Parameters()), "");
    EXPECT_TRUE(made.PermsAgree());
    const std::string secret = made.EncryptString("Geheim", 4, 0);
    const std::pair<const char*, Access> tries[] = {
        {"Lesen", Access::User}, {"Ändern", Access::Owner}, {"lesen", Access::Denied}, {"", Access::Denied}};
    for (const auto& [password, access] : tries) {
        SecurityHandler reader(made.Parameters());
        EXPECT_EQ(reader.Authenticate(password), access) << password;
        if (access == Access::Denied) continue;
        EXPECT_EQ(reader.FileKey(), made.FileKey());
        EXPECT_EQ(reader.DecryptString(secret, 4, 0), "Geheim");
        EXPECT_TRUE(reader.PermsAgree());
    }
    // An empty user password; long ones count up to 127 bytes, and a huge one is cut before hashing.
    const std::string longPassword(127, 'p');
    SecurityHandler open(SecurityHandler::CreateAes256("", longPassword, -4).Parameters());
    EXPECT_EQ(open.Authenticate(""), Access::User);
    EXPECT_EQ(open.Authenticate(longPassword + "and more"), Access::Owner);
    EXPECT_EQ(open.Authenticate(std::string(100'000'000, 'p')), Access::Owner);
    EXPECT_NE(open.FileKey(), made.FileKey());
}

TEST(SecurityHandler, PeerToolOpensNewProtection)
{
    if (!test::ToolWorks("qpdf --version")) GTEST_SKIP() << "qpdf is not installed";
    const SecurityHandler made = SecurityHandler::CreateAes256("Lesen", "Ändern", PermissionsDenying(PermitCopy));
    const EncryptionParameters& p = made.Parameters();
    test::PdfBuilder builder;
    builder.objects = {
        "<< /Type /Catalog /Pages 3 0 R >>", "<< /Title " + HexStringText(made.EncryptString("Geheime Notiz", 2, 0)) + " >>",
        "<< /Type /Pages /Kids [] /Count 0 >>",
        "<< /Filter /Standard /V 5 /R 6 /Length 256 /CF << /StdCF << /CFM /AESV3 /Length 32 >> >> /StmF /StdCF "
        "/StrF /StdCF /O " + HexStringText(p.owner) + " /U " + HexStringText(p.user) + " /OE " + HexStringText(p.ownerKey) + " /UE " +
            HexStringText(p.userKey) + " /Perms " + HexStringText(p.perms) + " /P " + std::to_string(p.permissions) + " >>"};
    builder.trailerEntries = "/Root 1 0 R /Info 2 0 R /Encrypt 4 0 R /ID [<00> <00>]";
    ScratchFolder folder;
    const std::string path = test::ShellQuoted(folder.Write("protected.pdf", builder.Build()));
    const test::ToolRun owner = test::RunTool("qpdf --password=Ändern --show-encryption " + path);
    EXPECT_EQ(owner.exitCode, 0);  // a /Perms that disagrees would be a warning
    EXPECT_NE(owner.output.find("Supplied password is owner password"), std::string::npos) << owner.output;
    EXPECT_NE(owner.output.find("extract for any purpose: not allowed"), std::string::npos) << owner.output;
    EXPECT_EQ(test::RunTool("qpdf --password=Lesen --show-object=2 " + path).output, "<< /Title (Geheime Notiz) >>\n");
    EXPECT_EQ(test::RunTool("qpdf --password=lesen --show-object=2 " + path).exitCode, 2);
}

TEST(SecurityHandler, DamagedAesDataGivesNothing)
{
    SecurityHandler handler(ParametersOf(PeerFiles[2]));
    ASSERT_EQ(handler.Authenticate("owner"), Access::Owner);
    // Whole blocks whose last one ends in a bad padding byte: drop the block of padding alone.
    const auto withoutLastBlock = [&](const std::string& text) {
        const std::string data = handler.EncryptString(text, 5, 0);
        return data.substr(0, data.size() - 16);
    };
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"", std::nullopt},
        {std::string(15, 'v'), std::nullopt},
        {std::string(16, 'v'), ""},  // the initialisation vector alone
        {std::string(33, 'v'), std::nullopt},
        {withoutLastBlock(std::string(32, 'x')), std::nullopt},
        {withoutLastBlock(std::string(31, 'x') + '\0'), std::nullopt},
        {withoutLastBlock(std::string(30, 'x') + "\x05\x02"), std::nullopt},
        {withoutLastBlock(std::string(30, 'x') + "\x02\x02"), std::string(30, 'x')},
    };
    for (const auto& [data, plain] : cases) EXPECT_EQ(handler.DecryptString(data, 5, 0), plain) << data.size();
}

TEST(SecurityHandler, UnusableParameters)
{
    using Change = void (*)(EncryptionParameters&);
    const std::tuple<size_t, Change, const char*> cases[] = {
        {2, [](EncryptionParameters& p) { p.revision = 7; }, "unbekanntes Verschlüsselungsverfahren (Revision 7)"},
        {2, [](EncryptionParameters& p) { p.version = 3; }, "unbekanntes Verschlüsselungsverfahren (Version 3)"},
        {2, [](EncryptionParameters& p) { p.version = 5; }, "beschädigt (Revision 4 passt nicht zu Version 5)"},
        {4, [](EncryptionParameters& p) { p.version = 4; }, "(Revision 6 passt nicht zu Version 4)"},
        {1, [](EncryptionParameters& p) { p.keyBytes = 4; }, "(/Length 32 ist keine gültige Schlüssellänge)"},
        {1, [](EncryptionParameters& p) { p.keyBytes = 17; }, "(/Length 136 ist keine"},
        {1, [](EncryptionParameters& p) { p.streams = CryptMethod::AESV2; }, "(AESV2 passt nicht zu Version 2)"},
        {2, [](EncryptionParameters& p) { p.keyBytes = 5; }, "(AESV2 verlangt eine Schlüssellänge von 128 Bit)"},
        {2, [](EncryptionParameters& p) { p.strings = CryptMethod::AESV3; }, "(AESV3 passt nicht zu Version 4)"},
        {4, [](EncryptionParameters& p) { p.strings = CryptMethod::RC4; }, "(RC4 passt nicht zu Version 5)"},
        {2, [](EncryptionParameters& p) { p.owner.resize(31); }, "beschädigt (/O hat die falsche Länge)."},
        {0, [](EncryptionParameters& p) { p.user.resize(31); }, "(/U hat die falsche Länge)"},
        {4, [](EncryptionParameters& p) { p.owner.resize(47); }, "(/O hat"},
        {3, [](EncryptionParameters& p) { p.userKey.clear(); }, "(/UE hat"},
        {4, [](EncryptionParameters& p) { p.perms.resize(15); }, "(/Perms hat"},
    };
    for (const auto& [file, change, message] : cases) {
        EncryptionParameters parameters = ParametersOf(PeerFiles[file]);
        change(parameters);
        EXPECT_NE(ParameterProblem(parameters).find(message), std::string::npos)
            << message << " / " << ParameterProblem(parameters);
        // Such a handler opens with no password, and decrypts nothing.
        SecurityHandler handler(parameters);
        for (const char* password : {"", "user", "owner"}) EXPECT_EQ(handler.Authenticate(password), Access::Denied);
        EXPECT_EQ(handler.DecryptString(std::string(32, 'd'), 1, 0), std::nullopt);
    }
}

TEST(SecurityHandler, PermissionsDenying)
{
    const std::pair<int32_t, int32_t> cases[] = {
        {0, -4},
        {PermitPrint, -4 & ~0x804},
        {PermitModify, -4 & ~0x408},
        {PermitCopy, -4 & ~0x10},  // extraction for accessibility stays allowed
        {PermitAnnotate, -4 & ~0x120},
        {PermitPrint | PermitModify | PermitCopy | PermitAnnotate, -3392},  // as the peer tool writes it
    };
    for (const auto& [denied, expected] : cases) EXPECT_EQ(PermissionsDenying(denied), expected) << denied;
}

}  // namespace
}  // namespace folivo
