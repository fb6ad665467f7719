// Saving: the new file's bytes, written to a temporary file beside the target and renamed over
// it only when complete.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "document/DocumentWriter.h"
#include "document/PdfDocument.h"

namespace folivo {

namespace {

// Why no new file can be made in folder, when the folder itself is the reason; empty otherwise.
std::string FolderProblem(int error, const std::string& folder)
{
    if (error == ENOENT || error == ENOTDIR) return "Den Ordner " + folder + " gibt es nicht.";
    if (error == EACCES || error == EPERM || error == EROFS)
        return "In den Ordner " + folder + " kann nicht geschrieben werden. Bitte wählen Sie einen anderen Ordner.";
    return "";
}

bool WriteAll(int file, const std::string& bytes)
{
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t result = ::write(file, bytes.data() + written, bytes.size() - written);
        if (result < 0 && errno == EINTR) continue;
        if (result <= 0) return false;
        written += static_cast<size_t>(result);
    }
    return true;
}

// The permissions a new file would get, or those of the file being replaced.
mode_t TargetMode(const std::string& path)
{
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::string PdfDocument::AppendRefusal() const
{
    if (!appendChanges) return "";
    if (repaired) {
        return "Diese PDF-Datei war beschädigt und wurde beim Lesen repariert. Ihre Querverweise lassen sich nicht "
               "fortschreiben; bitte als neue Datei speichern.";
    }
    if (passwordSettings.mode != PasswordSettings::Mode::Keep) {
        return "Beim Anhängen der Änderungen bleibt der Kennwortschutz, wie er ist; zum Ändern bitte als neue Datei "
               "speichern.";
    }
    return "";
}

bool PdfDocument::SavePDFNew(const std::string& path)
{
    if (!HasPagesRoot()) {
        ShowError("Dies ist keine gültige PDF-Datei.");
        return false;
    }
    if (!ChangesAllowed() && HasChanges()) {
        ShowError("Der Verfasser dieser PDF-Datei erlaubt keine Änderungen. Ohne das Kennwort für Änderungen kann sie "
                  "nur unverändert gespeichert werden.");
        return false;
    }
    if (passwordSettings.mode != PasswordSettings::Mode::Keep && !EncryptionChangeAllowed()) {
        ShowError("Der Kennwortschutz dieser PDF-Datei kann nur mit dem Kennwort für Änderungen geändert oder entfernt "
                  "werden.");
        return false;
    }
    if (passwordSettings.mode == PasswordSettings::Mode::Encrypt && passwordSettings.ownerPassword.empty()) {
        ShowError("Für den Kennwortschutz ist ein Kennwort für Änderungen nötig.");
        return false;
    }
    if (const std::string refusal = AppendRefusal(); !refusal.empty()) {
        ShowError(refusal);
        return false;
    }
    DocumentWriter writer(*this, path);
    const std::string bytes = writer.Write();

    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int file = ::mkstemp(temporary.data());
    const std::string folderProblem = file < 0 ? FolderProblem(errno, folder.string()) : "";
    if (!folderProblem.empty()) {
        ShowError(folderProblem);
        return false;
    }
    if (file < 0) {
        ShowError("Die Datei " + path +
                  " konnte nicht erstellt werden! Bitte schließen Sie diese Datei im Acrobat Reader, falls diese offen "
                  "sein sollte!");
        return false;
    }
    const bool written = WriteAll(file, bytes) && ::fchmod(file, TargetMode(path)) == 0 && ::fsync(file) == 0;
    const bool closed = ::close(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        ShowError("Die Datei " + path + " konnte nicht gespeichert werden. Die Datei wurde nicht verändert.");
        return false;
    }
    for (const std::string& warning : writer.Warnings()) {
        ui_.AddMemoLine(warning);
        ui_.ShowMessage(warning, ApplicationTitle, MessageIcon::Warning);
    }
    return true;
}

}  // namespace folivo
